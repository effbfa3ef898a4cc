// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the engine benchmarks' inputs, reproducibly (fixed seed, own random numbers):
//   formulas.txt  one formula per line (default 4,000): numbers glued to units, sums of like
//                 quantities, products and quotients, powers, built-in functions, the variables
//                 of bench_variables(), and about one in ten erroneous (unit conflicts, unknown
//                 names, bracket and argument errors);
//   sheet.txt     a worksheet of 10,000 lines as people write them: headings and prose,
//                 labels, assignments that later lines use, expressions with and without a
//                 unit behind "=", old results, errors and empty lines;
//   common.txt    short engineering formulas (default 2,000) in the notation that quorvel-calc
//                 and GNU units read alike, for timing the two side by side: ASCII only, no
//                 variables, "^2" instead of "²", no "h" (Planck's constant there), every
//                 divisor with a glued number in brackets (a glued number binds more tightly
//                 than "/" there), about one in ten erroneous.
// Usage: make_corpus OUTPUT_DIR [FORMULAS [SHEET_LINES [COMMON]]]
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

// splitmix64: the same numbers on every machine and library.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    bool chance(int percent) { return below(100) < static_cast<std::size_t>(percent); }
    template <typename T, std::size_t N> const T& pick(const std::array<T, N>& items)
    {
        return items[below(N)];
    }
    template <typename T> const T& pick(const std::vector<T>& items)
    {
        return items[below(items.size())];
    }

private:
    std::uint64_t m_state;
};

// Physical kinds with the units people type for them (default unit definitions only).
enum Kind {
    Length,
    Time,
    Mass,
    Speed,
    Area,
    Volume,
    Force,
    Energy,
    Power,
    Pressure,
    Plain,
    KindCount
};

const std::array<std::vector<std::string>, KindCount> kUnits = {{
    {"m", "km", "mm"},      // Length
    {"s", "min", "h"},      // Time
    {"kg", "g"},            // Mass
    {"m/s", "km/h"},        // Speed
    {"m²", "mm²"},          // Area
    {"l", "ml", "m³"},      // Volume
    {"N"},                  // Force
    {"J"},                  // Energy
    {"W", "kW"},            // Power
    {"Pa"},                 // Pressure
    {"", "", "€", "Stück"}, // Plain
}};

const std::array<std::string_view, 24> kNames = {
    "a",  "b",  "c",  "x",  "y",  "z",  "d", "t",  "v",   "F",  "E",     "P",
    "m1", "m2", "s1", "s2", "t1", "t2", "r", "h1", "rho", "V1", "Kraft", "Weg"};

const std::array<std::string_view, 16> kProse = {"Berechnung der Auflagerkräfte am Träger",
                                                 "Annahmen nach Rücksprache mit dem Prüfingenieur",
                                                 "Werte aus dem Datenblatt des Herstellers",
                                                 "Die Leitung wird im Erdreich verlegt",
                                                 "Nachweis der Tragfähigkeit",
                                                 "Kosten für Material und Montage",
                                                 "Zwischenergebnis siehe oben",
                                                 "Hinweis: Werte gerundet",
                                                 "Messung vom Dienstag",
                                                 "Energiebedarf der Pumpe im Jahr",
                                                 "Zuschnitt der Bleche",
                                                 "Durchfluss und Geschwindigkeit im Rohr",
                                                 "TODO noch prüfen",
                                                 "Alle Angaben ohne Gewähr",
                                                 "Seite 2 von 5",
                                                 "Ergebnis: ausreichend"};

const std::array<std::string_view, 12> kLabels = {
    "Fläche: ", "Länge: ", "Masse: ", "Zeit: ",       "Kraft am Lager: ", "Preis: ",
    "Pos. 3: ", "Summe: ", "Rohr:\t", "Variante B: ", "1.2.4: ",          "Ergebnis: "};

struct Generator
{
    Random random{0x5157'4F52'5645'4Cull}; // "QUORVEL"
    // Variables defined so far in the sheet, by kind.
    std::array<std::vector<std::string>, KindCount> defined;

    std::string number()
    {
        switch (random.below(8)) {
        case 0:
            return std::to_string(1 + random.below(9));
        case 1:
            return std::to_string(10 + random.below(990));
        case 2:
            return std::to_string(random.below(100)) + "." + std::to_string(random.below(10));
        case 3:
            return std::to_string(random.below(10)) + "." + std::to_string(10 + random.below(90));
        case 4:
            return std::string("0.0") + std::to_string(1 + random.below(99));
        case 5:
            return std::to_string(1 + random.below(9)) + "." + std::to_string(random.below(10)) +
                   "E" + std::to_string(random.below(7));
        case 6:
            return std::to_string(1 + random.below(50)) + "00";
        default:
            return std::to_string(1 + random.below(20)) + ".5";
        }
    }

    // A quantity of a kind: a number glued to a unit («12.5km»), or a defined variable.
    std::string quantity(Kind k, bool variables = true)
    {
        if (variables && !defined[k].empty() && random.chance(35))
            return random.pick(defined[k]);
        return number() + random.pick(kUnits[k]);
    }

    // A divisor: «12km/(1.5h)», since «12km/1.5h» means (12km/1.5)*h.
    std::string divisor(Kind k)
    {
        const std::string q = quantity(k);
        return q[0] >= '0' && q[0] <= '9' ? "(" + q + ")" : q;
    }

    std::string sum(Kind k)
    {
        std::string s = quantity(k);
        const std::size_t terms = random.below(3);
        for (std::size_t i = 0; i < terms; ++i) {
            s += random.chance(70) ? '+' : '-';
            s += quantity(k);
        }
        return s;
    }

    // A formula whose result has kind k.
    std::string formula(Kind k)
    {
        const std::size_t form = random.below(4);
        switch (k) {
        case Length:
            if (form == 0)
                return std::string("SQRT((") + quantity(Length) + ")²+(" + quantity(Length) + ")²)";
            if (form == 1)
                return quantity(Speed) + "*" + quantity(Time);
            return sum(Length);
        case Time:
            if (form == 0)
                return quantity(Length) + "/" + divisor(Speed);
            return sum(Time);
        case Mass:
            if (form == 0)
                return quantity(Volume) + "*" + number() + "kg/m³";
            if (form == 1)
                return std::string("RhoLuft(") + std::to_string(random.below(40)) + ";PU)*" +
                       quantity(Volume);
            return sum(Mass);
        case Speed:
            if (form <= 1)
                return std::string("(") + sum(Length) + ")/(" + sum(Time) + ")";
            return quantity(Speed);
        case Area:
            if (form == 0)
                return std::string("(") + quantity(Length) + ")²*Pi/4";
            if (form == 1)
                return std::string("(") + quantity(Length) + ")^2";
            return quantity(Length) + "*" + quantity(Length);
        case Volume:
            if (form == 0)
                return quantity(Area) + "*" + quantity(Length);
            if (form == 1)
                return quantity(Length, false) + "³";
            return sum(Volume);
        case Force:
            if (form == 0)
                return quantity(Mass) + "*9.81m/s²";
            if (form == 1)
                return quantity(Pressure) + "*" + quantity(Area);
            return sum(Force);
        case Energy:
            if (form == 0)
                return quantity(Force) + "*" + quantity(Length);
            if (form == 1)
                return quantity(Power) + "*" + quantity(Time);
            return std::string("0.5*") + quantity(Mass) + "*(" + quantity(Speed) + ")²";
        case Power:
            if (form == 0)
                return quantity(Energy) + "/" + divisor(Time);
            return sum(Power);
        case Pressure:
            if (form == 0)
                return quantity(Force) + "/" + divisor(Area);
            return std::string("PU+") + quantity(Pressure);
        default:
            switch (random.below(9)) {
            case 0:
                return std::string("SIN(") + number() + "*Pi/180)";
            case 1:
                return std::string("SINR(") + std::to_string(random.below(360)) + ")+COSR(" +
                       std::to_string(random.below(90)) + ")";
            case 2:
                return std::string("2^") + std::to_string(random.below(16));
            case 3:
                return std::string("LN(") + number() + ")/LN(2)";
            case 4:
                return std::string("MAX(") + quantity(Plain) + ";" + quantity(Plain) + ")*" +
                       number();
            case 5:
                return quantity(Length) + "/" + divisor(Length);
            case 6:
                return std::string("EXP(-") + number() + "/10)";
            case 7:
                return std::string("ABS(") + number() + "-" + number() + ")";
            default:
                return sum(Plain);
            }
        }
    }

    // A formula that fails, as people's typing mistakes fail.
    std::string broken()
    {
        switch (random.below(8)) {
        case 0:
            return quantity(Length) + "+" + quantity(Time); // unit confilct
        case 1:
            return std::string("SIN(") + quantity(Length, false) + ")"; // No units allowed
        case 2:
            return std::string("(") + sum(Length); // Klammerfehler
        case 3:
            return quantity(Mass) + "*g0"; // Variable not found
        case 4:
            return std::string("MAX(") + quantity(Plain) + ";2;3)"; // argument count
        case 5:
            return std::string("2^(") + quantity(Length, false) + ")"; // units in exponent
        case 6:
            return std::string("SQRT(") + quantity(Length, false) + ")"; // odd units
        default:
            return quantity(Length) + "*(2+3))"; // bracket
        }
    }

    // A reassigned name changes its kind, as on a real sheet.
    void define(const std::string& name, Kind k)
    {
        for (auto& names : defined)
            std::erase(names, name);
        defined[k].push_back(name);
    }

    Kind anyKind() { return static_cast<Kind>(random.below(KindCount)); }

    // The common notation's formulas. Names of units both programs know with the same meaning.
    static constexpr std::array<std::array<std::string_view, 3>, 6> kCommonUnits = {{
        {"m", "km", "mm"},
        {"s", "min", "s"},
        {"kg", "g", "kg"},
        {"N", "N", "N"},
        {"J", "J", "J"},
        {"W", "kW", "W"},
    }};
    enum CommonKind { CLength, CTime, CMass, CForce, CEnergy, CPower, CommonKindCount };

    std::string commonQuantity(CommonKind k)
    {
        return number() + std::string(kCommonUnits[k][random.below(3)]);
    }
    std::string commonSum(CommonKind k)
    {
        std::string s = commonQuantity(k);
        for (std::size_t i = random.below(3); i > 0; --i) {
            s += random.chance(70) ? '+' : '-';
            s += commonQuantity(k);
        }
        return s;
    }
    std::string commonFormula()
    {
        switch (random.below(16)) {
        case 0:
            return std::string("sqrt((") + commonQuantity(CLength) + ")^2+(" +
                   commonQuantity(CLength) + ")^2)";
        case 1:
            return std::string("(") + commonSum(CLength) + ")/(" + commonSum(CTime) + ")";
        case 2:
            return commonQuantity(CMass) + "*9.81m/s^2";
        case 3:
            return commonQuantity(CForce) + "*" + commonQuantity(CLength);
        case 4:
            return commonQuantity(CPower) + "*" + commonQuantity(CTime);
        case 5:
            return std::string("0.5*") + commonQuantity(CMass) + "*(" + number() + "m/s)^2";
        case 6:
            return commonQuantity(CEnergy) + "/(" + commonQuantity(CTime) + ")";
        case 7:
            return commonQuantity(CForce) + "/(" + number() + "mm^2)";
        case 8:
            return commonQuantity(CLength) + "*" + commonQuantity(CLength) + "*" +
                   commonQuantity(CLength);
        case 9:
            return number() + "l*" + number() + "kg/m^3";
        case 10:
            return std::string("sin(") + number() + "*3.14159/180)";
        case 11:
            return std::string("exp(-") + number() + "/10)+ln(" + number() + ")";
        case 12:
            return std::string("abs(") + number() + "-" + number() + ")*" + commonQuantity(CMass);
        default:
            return commonSum(static_cast<CommonKind>(random.below(CommonKindCount)));
        }
    }
    std::string commonBroken()
    {
        switch (random.below(6)) {
        case 0:
            return commonQuantity(CLength) + "+" + commonQuantity(CTime);
        case 1:
            return std::string("(") + commonSum(CLength);
        case 2:
            return commonQuantity(CLength) + "*(2+3))";
        case 3:
            return commonQuantity(CMass) + "*xq";
        case 4:
            return std::string("2^(") + commonQuantity(CLength) + ")";
        default:
            return std::string("sin(") + commonQuantity(CLength) + ")";
        }
    }

    std::string sheetLine()
    {
        const std::size_t roll = random.below(100);
        if (roll < 8)
            return "";
        if (roll < 14)
            return std::string(random.pick(kProse));
        const std::string label = random.chance(15) ? std::string(random.pick(kLabels)) : "";
        if (roll < 55) { // assignment
            const Kind k = anyKind();
            std::string name(random.pick(kNames));
            name += std::to_string(random.below(5)); // about 120 names in use
            const std::string f = formula(k);
            define(name, k);
            if (random.chance(20)) // evaluated before: the old result stays behind "="
                return label + name + " = " + f + " = " + random.pick(kUnits[k]);
            return label + name + " = " + f;
        }
        if (roll < 93) { // expression
            const Kind k = anyKind();
            std::string f = formula(k);
            if (random.chance(30))
                f += " = " + random.pick(kUnits[k]);
            return label + f;
        }
        return label + broken();
    }
};

bool writeLines(const std::string& path, const std::vector<std::string>& lines)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    for (const std::string& line : lines) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fputc('\n', file);
    }
    return std::fclose(file) == 0;
}

std::size_t count(const char* text, std::size_t fallback)
{
    std::size_t n = 0;
    for (const char* p = text; p && *p; ++p) {
        if (*p < '0' || *p > '9')
            return fallback;
        n = n * 10 + static_cast<std::size_t>(*p - '0');
    }
    return text ? n : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: make_corpus OUTPUT_DIR [FORMULAS [SHEET_LINES]]\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    const std::size_t formulas = count(argc > 2 ? argv[2] : nullptr, 4000);
    const std::size_t sheetLines = count(argc > 3 ? argv[3] : nullptr, 10000);
    const std::size_t commonFormulas = count(argc > 4 ? argv[4] : nullptr, 2000);

    Generator g;
    // The formula corpus may use one variable of each kind, defined by the benchmark.
    for (int k = 0; k < KindCount; ++k)
        g.defined[static_cast<std::size_t>(k)] = {std::string("q") + std::to_string(k)};
    std::vector<std::string> corpus;
    corpus.reserve(formulas);
    while (corpus.size() < formulas)
        corpus.push_back(g.random.chance(10) ? g.broken() : g.formula(g.anyKind()));

    Generator s;
    std::vector<std::string> sheet;
    sheet.reserve(sheetLines);
    while (sheet.size() < sheetLines)
        sheet.push_back(s.sheetLine());

    Generator c;
    std::vector<std::string> common;
    common.reserve(commonFormulas);
    while (common.size() < commonFormulas)
        common.push_back(c.random.chance(10) ? c.commonBroken() : c.commonFormula());

    if (!writeLines(dir + "/formulas.txt", corpus) || !writeLines(dir + "/sheet.txt", sheet) ||
        !writeLines(dir + "/common.txt", common)) {
        std::fputs("make_corpus: cannot write into the output folder\n", stderr);
        return 1;
    }
    return 0;
}
