// SPDX-License-Identifier: GPL-3.0-or-later
// The recursive evaluator: one EvalExpr call per operator level, working on the text itself.
#include "engine/formula/evaluator.h"

#include "engine/base/quorvel_error.h"
#include "engine/base/text_helpers.h"
#include "engine/formula/builtin_functions.h"
#include "engine/formula/float_faults.h"
#include "engine/formula/number_literal.h"
#include "engine/formula/scanner.h"

#include <cmath>
#include <limits>

namespace quorvel {
namespace {

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

// The hash of a function's name as FindFunction compares it, the case of A to Z ignored.
std::size_t foldedHash(std::u16string_view name)
{
    std::uint64_t h = name.size();
    for (const char16_t c : name)
        h = h * 131 + UpperAscii(c);
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h >> 40);
}

bool sameFolded(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (UpperAscii(a[k]) != UpperAscii(b[k]))
            return false;
    }
    return true;
}

} // namespace

TEFParser::TEFParser()
{
    m_functionSlots.fill(-1);
    RegisterBuiltinFunctions(*this);
    SetVar(u"Pi", TSINumber{3.141592653589793, {}});
    SetVar(u"PU", SiSet(101300, -1, 1, -2, 0, 0, 0, 0));
}

bool TEFParser::Evaluate(TSINumber& result, std::u16string& formula)
{
    RemoveCharInto(m_prepared, Trim(formula), u' ');
    std::u16string_view rest = m_prepared;
    const bool ok = evaluateFrom(result, rest);
    formula.assign(rest);
    return ok;
}

bool TEFParser::EvaluatePrepared(TSINumber& result, std::u16string_view formula)
{
    return evaluateFrom(result, formula);
}

bool TEFParser::evaluateFrom(TSINumber& result, std::u16string_view& rest)
{
    ClearError();
    m_depth = 0;
    // Arguments of failed calls are never read again; dropping them keeps the stack small.
    Stack.SetCount(0);
    char16_t op = 0;
    return EvalExpr(0, result, rest, op);
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
    constexpr std::size_t mask = kFunctionSlots - 1;
    for (std::size_t s = foldedHash(name) & mask;; s = (s + 1) & mask) {
        const std::int32_t i = m_functionSlots[s];
        if (i < 0 || sameFolded(Funcs[static_cast<std::size_t>(i)].Name, name))
            return i;
    }
}

void TEFParser::ClearError()
{
    // Most evaluations succeed and leave the text as it is: then nothing is copied.
    constexpr std::u16string_view kNoError = u"OK!";
    if (ErrMsg != kNoError)
        ErrMsg = kNoError;
    ErrPos = 1;
    ErrLen = 0;
}

bool TEFParser::SetError(std::u16string_view text)
{
    ErrMsg = text;
    return false;
}

TEFParser::Span TEFParser::ErrorSpan(std::size_t size) const
{
    const std::size_t start =
        ErrPos > 1 ? std::min<std::size_t>(static_cast<std::size_t>(ErrPos) - 1, size) : 0;
    const std::size_t length =
        ErrLen > 0 ? std::min<std::size_t>(static_cast<std::size_t>(ErrLen), size - start) : 0;
    return {static_cast<std::int32_t>(start), static_cast<std::int32_t>(length)};
}

void TEFParser::SplitAtError(std::u16string_view text, std::u16string& before,
                             std::u16string& after, std::u16string& mark) const
{
    const Span span = ErrorSpan(text.size());
    const auto start = static_cast<std::size_t>(span.start);
    const auto length = static_cast<std::size_t>(span.length);
    before.assign(text.substr(0, start));
    mark.assign(text.substr(start, length));
    after.assign(text.substr(start + length));
}

void TEFParser::AddFunction(std::u16string_view name, TFuncRoutine routine, std::int32_t argCount)
{
    if (FuncCount >= Funcs.size())
        return;
    const auto index = static_cast<std::int32_t>(FuncCount);
    Funcs[FuncCount] = TFuncEntry{routine, std::u16string(name), argCount};
    ++FuncCount;
    // A later function of the same name is never found, as it never was.
    constexpr std::size_t mask = kFunctionSlots - 1;
    for (std::size_t s = foldedHash(name) & mask;; s = (s + 1) & mask) {
        std::int16_t& slot = m_functionSlots[s];
        if (slot < 0) {
            slot = static_cast<std::int16_t>(index);
            break;
        }
        if (sameFolded(Funcs[static_cast<std::size_t>(slot)].Name, name))
            break;
    }
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

bool TEFParser::lookupOperand(std::u16string_view name, TSINumber& result, bool& valid,
                              std::int32_t& function)
{
    const std::size_t hash = TSIVarList::HashOf(name);
    std::int32_t i = Units.IndexOf(name, hash);
    if (i >= 1) {
        ErrPos += Length32(name);
        result = Units.at(i).Quantity;
        Units.SetUsed(i);
        valid = true;
        return true;
    }
    i = Vars.IndexOf(name, hash);
    if (i >= 0) {
        result = Vars.at(i).Quantity;
        Vars.SetUsed(i);
        valid = true;
        ErrPos += Length32(name);
        return true;
    }
    function = FindFunction(name);
    if (function >= 0)
        return true; // applied when its bracket is read
    SetError(u"Variable not found");
    ErrLen = Length32(name);
    return false;
}

// After an operation: go on in this loop while the next operator binds more tightly than the
// level this call stands for (or always at level 0); otherwise hand the operator back.
bool TEFParser::continueRule(int level, char16_t op, int& lvl, bool& keepGoing)
{
    if (!OPLevel(op, lvl))
        return false;
    keepGoing = lvl > level || level == 0;
    return true;
}

// function is name's index in Funcs when the operand was read as a function, else -1: a unit
// or a variable of a function's name («min» is both) is called as the function, too.
bool TEFParser::callFunction(std::u16string_view name, std::int32_t function,
                             std::int32_t bracketPos, std::u16string_view inner, TSINumber& result,
                             bool& valid)
{
    if (function < 0)
        function = FindFunction(name);
    if (function < 0) {
        SetError(u"unknown function " + std::u16string(name) + u"()");
        ErrPos = bracketPos;
        ErrLen = Length32(name);
        return false;
    }
    ErrPos += Length32(name);
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

    const TFuncEntry& entry = Funcs[static_cast<std::size_t>(function)];
    if (entry.ArgCount != argc) {
        SetError(u"wrong number of arguments for " + entry.Name);
        ErrPos = bracketPos;
        ErrLen = Length32(name);
        return false;
    }
    const bool ok = entry.Routine(*this);
    valid = ok;
    Pop(result);
    ++ErrPos; // the ")"
    if (!ok) {
        ErrPos = bracketPos;
        ErrLen = Length32(name);
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
    NumberScan number;
    const int kind = NextToken(rest, operand, op, number);
    bool valid = false;
    std::int32_t function = -1;
    if (kind == 1) {
        ErrPos += Length32(operand);
        // Member by member: a whole temporary copied in would be read back wider than it was
        // written, which stalls the processor on every number.
        result.Value = LiteralValue(number, operand);
        result.Exponents = {};
        valid = true;
    } else if (kind == 2) {
        if (!lookupOperand(operand, result, valid, function))
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

    // By the operator's level, which the continue rule has just told: a switch over five values
    // is one jump, one over the operator characters a chain of comparisons.
    for (bool first = true;; first = false) {
        if (rest.empty() && op == 0)
            return true;
        bool applied = false;
        switch (lvl) {
        case 0:
            // ";" ends an argument; the end of the text reaches here only with text behind it.
            return op == u';' && valid;
        case 1:
            applied = applyAdditive(valid, result, rest, op);
            break;
        case 2:
            applied = applyMultiplicative(valid, result, rest, op);
            break;
        case 3:
            applied = op == u'^' ? applyPower(valid, result, rest, op)
                                 : applySquare(valid, result, rest, op);
            break;
        default:
            // "(": only the operand cut in front of it owns a bracket. Behind ")", "²" or "³"
            // it has none: «(2)(3)» would drop the 2, «SIN(0)(5)» would call SIN once more.
            if (!first) {
                ErrLen = 1;
                return SetError(u"syntax error");
            }
            applied = applyBracket(operand, function, valid, result, rest, op);
            break;
        }
        if (!applied)
            return false;
        bool keepGoing = false;
        if (!continueRule(level, op, lvl, keepGoing))
            return false;
        if (!keepGoing)
            return true;
    }
}

// The skeleton of the binary operators: the operator's character is counted, a left operand
// must be there, and the right operand is read at the operator's own level, which leaves the
// operator behind it in next.
bool TEFParser::readRightOperand(int level, bool valid, TSINumber& right, std::u16string_view& rest,
                                 char16_t& next)
{
    ++ErrPos;
    if (!valid)
        return SetError(u"syntax error");
    return EvalExpr(level, right, rest, next);
}

// Level 1: "+" and "-" need the same unit on both sides.
bool TEFParser::applyAdditive(bool valid, TSINumber& result, std::u16string_view& rest,
                              char16_t& op)
{
    const std::int32_t p0 = ErrPos;
    TSINumber right;
    char16_t next = 0;
    if (!readRightOperand(1, valid, right, rest, next)) {
        if (!valid)
            throw QuorvelError(u"OK, valid ist n\u00F6tig! (1)");
        return false;
    }
    if (!SiSameUnit(result, right)) {
        ErrPos = p0;
        SetError(u"unit confilct");
        ErrLen = 1;
        return false;
    }
    result = op == u'+' ? SiAdd(result, right) : SiSub(result, right);
    CheckFinite(result.Value);
    op = next;
    return op != u')' || SetError(u"bracket error");
}

// Level 2: "*" and "/" combine the units.
bool TEFParser::applyMultiplicative(bool valid, TSINumber& result, std::u16string_view& rest,
                                    char16_t& op)
{
    TSINumber right;
    char16_t next = 0;
    if (!readRightOperand(2, valid, right, rest, next))
        return false;
    result = op == u'*' ? SiMul(result, right) : SiDiv(result, right);
    CheckFinite(result.Value);
    op = next;
    if (op == u')') {
        SetError(u"bracket error");
        ErrLen = 1;
        return false;
    }
    return true;
}

// Level 3: "^" takes a plain number as exponent, and a whole one when the base has a unit.
bool TEFParser::applyPower(bool valid, TSINumber& result, std::u16string_view& rest, char16_t& op)
{
    TSINumber right;
    char16_t next = 0;
    if (!readRightOperand(3, valid, right, rest, next))
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
    result.Value =
        CheckFinite(Power(base, right.Value), base == 0.0 ? Infinity::Pole : Infinity::Overflow);
    op = next;
    return op != u')' || SetError(u"bracket error");
}

// Level 3, postfix: "²" and "³" have no right operand; the character behind them is always
// the next operator.
bool TEFParser::applySquare(bool valid, TSINumber& result, std::u16string_view& rest, char16_t& op)
{
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
    } else {
        op = rest.front();
        rest.remove_prefix(1);
    }
    return true;
}

// Level 4: a bracket, either grouping (no operand before it) or a function's argument list.
bool TEFParser::applyBracket(std::u16string_view operand, std::int32_t function, bool& valid,
                             TSINumber& result, std::u16string_view& rest, char16_t& op)
{
    const std::int32_t p0 = ErrPos;
    ++ErrPos;
    std::u16string_view inner;
    char16_t next = 0;
    if (!GetBracket(rest, inner, next))
        return false;
    if (operand.empty()) {
        valid = EvalExpr(0, result, inner, op);
        if (!valid)
            return false;
        if (op != 0 || !inner.empty())
            return SetError(u"syntax error ");
        ++ErrPos; // the ")"
    } else if (!callFunction(operand, function, p0, inner, result, valid)) {
        return false;
    }
    op = next;
    return true;
}

} // namespace quorvel
