// The recursive evaluator: one EvalExpr call per operator level, working on the text itself.
#include "formula/ef_parser.h"

#include "base/quorvel_error.h"
#include "formula/builtin_functions.h"
#include "formula/float_faults.h"
#include "formula/number_literal.h"

#include <cmath>
#include <limits>

namespace quorvel {
namespace {

constexpr std::u16string_view kOperators = u"+-*/^(;)\u00B2\u00B3";

// Deep enough for any formula a person writes; shallow enough that the machine stack (also
// under sanitizers) never runs out. Beyond it the evaluation is refused like a fault.
constexpr int kMaxDepth = 250;

class DepthGuard
{
public:
    explicit DepthGuard(int& depth) : m_depth(depth)
    {
        if (++m_depth > kMaxDepth) {
            --m_depth;
            throw QuorvelError(u"Stack overflow");
        }
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_depth;
};

std::int32_t length32(std::u16string_view text)
{
    return static_cast<std::int32_t>(text.size());
}

char16_t upperAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

} // namespace

TEFParser::TEFParser()
{
    RegisterBuiltinFunctions(*this);
    SetVar(u"Pi", TSINumber{3.141592653589793, {}});
    SetVar(u"PU", SiSet(101300, -1, 1, -2, 0, 0, 0, 0));
}

bool TEFParser::Evaluate(TSINumber& result, std::u16string& formula)
{
    ClearError();
    m_depth = 0;
    // Arguments of failed calls are never read again; dropping them keeps the stack small.
    Stack.SetCount(0);

    std::u16string_view text = formula;
    while (!text.empty() && text.front() <= u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() <= u' ')
        text.remove_suffix(1);
    m_prepared.clear();
    for (char16_t c : text) {
        if (c != u' ')
            m_prepared.push_back(c);
    }

    std::u16string_view rest = m_prepared;
    char16_t op = 0;
    const bool ok = EvalExpr(0, result, rest, op);
    formula.assign(rest);
    return ok;
}

void TEFParser::SetVar(std::u16string_view name, const TSINumber& value)
{
    if (FindFunction(name) >= 0)
        throw QuorvelError(u"Funktionsname kann nicht als Variable definiert werden");
    if (FindUnit(name) >= 0)
        throw QuorvelError(u"Einheitenname kann nicht als Variable definiert werden");
    const std::int32_t i = Vars.IndexOf(name);
    if (i < 0)
        Vars.Add(SiVarSet(name, value));
    else
        Vars.SetItem(i, SiVarSet(name, value));
}

std::int32_t TEFParser::FindFunction(std::u16string_view name) const
{
    for (std::uint32_t i = 0; i < FuncCount; ++i) {
        const std::u16string& candidate = Funcs[i].Name;
        if (candidate.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k)
            same = upperAscii(candidate[k]) == upperAscii(name[k]);
        if (same)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

void TEFParser::ClearError()
{
    ErrMsg = u"OK!";
    ErrPos = 1;
    ErrLen = 0;
}

bool TEFParser::SetError(std::u16string_view text)
{
    ErrMsg = text;
    return false;
}

void TEFParser::SplitAtError(std::u16string_view text, std::u16string& before,
                             std::u16string& after, std::u16string& mark) const
{
    const std::size_t size = text.size();
    const std::size_t start =
        ErrPos > 1 ? std::min<std::size_t>(static_cast<std::size_t>(ErrPos) - 1, size) : 0;
    const std::size_t length =
        ErrLen > 0 ? std::min<std::size_t>(static_cast<std::size_t>(ErrLen), size - start) : 0;
    before.assign(text.substr(0, start));
    mark.assign(text.substr(start, length));
    after.assign(text.substr(start + length));
}

void TEFParser::AddFunction(std::u16string_view name, TFuncRoutine routine, std::int32_t argCount)
{
    if (FuncCount >= Funcs.size())
        return;
    Funcs[FuncCount] = TFuncEntry{routine, std::u16string(name), argCount};
    ++FuncCount;
}

bool TEFParser::Pop(TSINumber& value)
{
    if (Stack.Count == 0) {
        value = SiZero;
        return false;
    }
    value = Stack.at(Stack.Count - 1);
    Stack.SetCount(Stack.Count - 1);
    return true;
}

bool TEFParser::IsOperator(char16_t ch, char16_t& op)
{
    if (kOperators.find(ch) == std::u16string_view::npos)
        return false;
    op = ch;
    return true;
}

int TEFParser::NextToken(std::u16string_view& rest, std::u16string_view& operand, char16_t& op)
{
    const std::size_t n = rest.size();
    const std::size_t k = NumberLength(rest);
    if (rest.front() == u'(') {
        op = u'(';
        operand = {};
        rest.remove_prefix(1);
        return 0;
    }
    op = 0;
    // 0-based index of the first operator; the first character never counts as one, so a
    // leading sign stays with its operand.
    std::size_t p = n;
    for (std::size_t i = k > 0 ? k : 1; i < n; ++i) {
        if (IsOperator(rest[i], op)) {
            p = i;
            break;
        }
    }
    if (k > 0 && p > k) {
        // A number glued to what follows: «3km» is 3 * km. The "*" is not in the text, so the
        // count its case adds is taken back here.
        operand = rest.substr(0, k);
        op = u'*';
        --ErrPos;
        rest.remove_prefix(k);
        return 1;
    }
    operand = rest.substr(0, p);
    rest.remove_prefix(p < n ? p + 1 : n);
    return k > 0 ? 1 : 2;
}

bool TEFParser::OPLevel(char16_t op, int& level)
{
    switch (op) {
    case 0:
    case u';':
        level = 0;
        return true;
    case u'+':
    case u'-':
        level = 1;
        return true;
    case u'*':
    case u'/':
        level = 2;
        return true;
    case u'^':
    case u'\u00B2':
    case u'\u00B3':
        level = 3;
        return true;
    case u'(':
        level = 4;
        return true;
    case u')':
        return SetError(u"\")\" nicht erlaubt in Routine OPLevel");
    default:
        return SetError(std::u16string(u"Unbekannter Operator ") + op + u" in Routine OPLevel");
    }
}

bool TEFParser::GetBracket(std::u16string_view& rest, std::u16string_view& inner, char16_t& op)
{
    const std::size_t n = rest.size();
    int depth = 1;
    std::size_t i = 0; // characters scanned; rest[i - 1] is the last one
    while (i < n) {
        const char16_t c = rest[i++];
        if (c == u'(')
            ++depth;
        else if (c == u')' && --depth < 1)
            break;
    }
    if (depth >= 1) {
        SetError(u"Klammerfehler");
        ErrLen = 0;
        return false;
    }
    inner = rest.substr(0, i - 1);
    if (i < n) {
        op = rest[i];
        rest.remove_prefix(i + 1);
    } else {
        op = 0;
        rest = {};
    }
    return true;
}

bool TEFParser::lookupOperand(std::u16string_view name, TSINumber& result, bool& valid)
{
    std::int32_t i = Units.IndexOf(name);
    if (i >= 1) {
        ErrPos += length32(name);
        result = Units.at(i).Quantity;
        Units.SetUsed(i);
        valid = true;
        return true;
    }
    i = Vars.IndexOf(name);
    if (i >= 0) {
        result = Vars.at(i).Quantity;
        Vars.SetUsed(i);
        valid = true;
        ErrPos += length32(name);
        return true;
    }
    if (FindFunction(name) >= 0)
        return true; // applied when its bracket is read
    SetError(u"Variable not found");
    ErrLen = length32(name);
    return false;
}

// After an operation: go on in this loop while the next operator binds more tightly than the
// level this call stands for (or always at level 0); otherwise hand the operator back.
bool TEFParser::continueRule(int level, char16_t op, bool& keepGoing)
{
    int lvl = 0;
    if (!OPLevel(op, lvl))
        return false;
    keepGoing = lvl > level || level == 0;
    return true;
}

bool TEFParser::callFunction(std::u16string_view name, std::int32_t bracketPos,
                             std::u16string_view inner, TSINumber& result, bool& valid)
{
    const std::int32_t f = FindFunction(name);
    if (f < 0) {
        SetError(u"unknown function " + std::u16string(name) + u"()");
        ErrPos = bracketPos;
        ErrLen = length32(name);
        return false;
    }
    ErrPos += length32(name);
    std::int32_t argc = 0;
    char16_t op = 0;
    do {
        if (!EvalExpr(0, result, inner, op))
            return false;
        Push(result);
        ++argc;
        if (op == u';')
            ++ErrPos;
    } while (!inner.empty());

    const TFuncEntry& entry = Funcs[static_cast<std::size_t>(f)];
    if (entry.ArgCount != argc) {
        SetError(u"wrong number of arguments for " + entry.Name);
        ErrPos = bracketPos;
        ErrLen = length32(name);
        return false;
    }
    const bool ok = entry.Routine(*this);
    valid = ok;
    Pop(result);
    ++ErrPos; // the ")"
    if (!ok) {
        ErrPos = bracketPos;
        ErrLen = length32(name);
        return false;
    }
    return true;
}

bool TEFParser::EvalExpr(int level, TSINumber& result, std::u16string_view& rest, char16_t& op)
{
    DepthGuard guard(m_depth);
    if (rest.empty())
        return false;

    op = 0;
    std::u16string_view operand;
    const int kind = NextToken(rest, operand, op);
    bool valid = false;
    if (kind == 1) {
        ErrPos += length32(operand);
        result = TSINumber{StrToReal(operand), {}};
        valid = true;
    } else if (kind == 2) {
        if (!lookupOperand(operand, result, valid))
            return false;
    }
    if (op == u')') {
        SetError(u"bracket error");
        ErrLen = 1;
        return false;
    }
    int lvl = 0;
    if (!OPLevel(op, lvl))
        return false;
    if (lvl <= level)
        return valid;

    for (;;) {
        if (rest.empty() && op == 0)
            return true;
        char16_t next = 0;
        switch (op) {
        case u';':
            return valid;
        case u'+':
        case u'-': {
            const std::int32_t p0 = ErrPos;
            ++ErrPos;
            if (!valid) {
                SetError(u"syntax error");
                throw QuorvelError(u"OK, valid ist n\u00F6tig! (1)");
            }
            TSINumber right;
            if (!EvalExpr(1, right, rest, next))
                return false;
            if (!SiSameUnit(result, right)) {
                ErrPos = p0;
                SetError(u"unit confilct");
                ErrLen = 1;
                return false;
            }
            result = op == u'+' ? SiAdd(result, right) : SiSub(result, right);
            CheckFinite(result.Value);
            op = next;
            if (op == u')')
                return SetError(u"bracket error");
            break;
        }
        case u'*':
        case u'/': {
            ++ErrPos;
            if (!valid)
                return SetError(u"syntax error");
            TSINumber right;
            if (!EvalExpr(2, right, rest, next))
                return false;
            result = op == u'*' ? SiMul(result, right) : SiDiv(result, right);
            CheckFinite(result.Value);
            op = next;
            if (op == u')') {
                SetError(u"bracket error");
                ErrLen = 1;
                return false;
            }
            break;
        }
        case u'^': {
            ++ErrPos;
            if (!valid)
                return SetError(u"syntax error");
            TSINumber right;
            if (!EvalExpr(3, right, rest, next))
                return false;
            if (SiUnitCount(right) > 0)
                return SetError(u"units in exponent not allowed");
            const double base = result.Value;
            if (SiUnitCount(result) > 0) {
                if (right.Value != std::trunc(right.Value))
                    return SetError(u"only integer exponents for physical base");
                const double whole = std::nearbyint(right.Value);
                if (!(std::fabs(whole) <= 2147483647.0))
                    throw QuorvelError(u"Range check error");
                result = SiUnitPower(result, static_cast<std::int32_t>(whole));
            }
            result.Value = CheckFinite(Power(base, right.Value),
                                       base == 0.0 ? Infinity::Pole : Infinity::Overflow);
            op = next;
            if (op == u')')
                return SetError(u"bracket error");
            break;
        }
        case u'\u00B2':
        case u'\u00B3': {
            ++ErrPos;
            if (!valid)
                return SetError(u"syntax error");
            const double v = result.Value;
            if (op == u'\u00B2') {
                result = SiUnitPower(result, 2);
                result.Value = CheckFinite(v * v);
            } else {
                result = SiUnitPower(result, 3);
                result.Value = CheckFinite(v * v * v);
            }
            if (rest.empty()) {
                op = 0;
                return true;
            }
            op = rest.front();
            rest.remove_prefix(1);
            break;
        }
        case u'(': {
            const std::int32_t p0 = ErrPos;
            ++ErrPos;
            std::u16string_view inner;
            if (!GetBracket(rest, inner, next))
                return false;
            if (operand.empty()) {
                valid = EvalExpr(0, result, inner, op);
                if (!valid)
                    return false;
                if (op != 0 || !inner.empty())
                    return SetError(u"syntax error ");
                ++ErrPos; // the ")"
            } else if (!callFunction(operand, p0, inner, result, valid)) {
                return false;
            }
            op = next;
            break;
        }
        default:
            // Only operator characters reach the loop: the continue rule refuses the rest.
            return false;
        }
        bool keepGoing = false;
        if (!continueRule(level, op, keepGoing))
            return false;
        if (!keepGoing)
            return true;
    }
}

} // namespace quorvel
