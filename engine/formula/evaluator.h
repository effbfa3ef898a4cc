// SPDX-License-Identifier: GPL-3.0-or-later
// TEFParser: evaluates one formula text with physical units into one quantity.
//
// The evaluator reads the text directly, without a token list or tree. Each step cuts an
// operand (number, name, or nothing before "(") plus the operator behind it from the front:
//
//   formula  := level0
//   level L  := operand { op(level > L) right-operand }     left-associative, L = 0..3
//   levels   :  0  end, ";"   1  "+" "-"   2  "*" "/"   3  "^" and postfix "²" "³"   4  "("
//   operand  := number [name]      a number glued to a name is an implicit "*": «3km»
//             | name               unit, then variable (exact case), else function name
//             | name "(" args ")"  function call, args separated by ";"
//             | "(" formula ")"
//   number   := ["-"] digits ["." digits] [("E"|"e") ["+"|"-"] digits]
//
// There is no unary minus: "-" belongs to a following number literal («-2^2» is 4, «2^-1» is
// 0.5) and otherwise starts a name («-x»). The character behind ")" or "²"/"³" is always taken
// as an operator; a "(" there is a syntax error, since no operand stands in front of it. ErrPos
// counts each character of the blank-free text once, as it is read, so after a failure
// ErrPos/ErrLen mark the span to show in red.
#pragma once

#include "engine/formula/number_literal.h"
#include "engine/quantity/si_lists.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

class TEFParser;

// Takes its arguments from the parser's Stack, pushes exactly one result, reports success.
using TFuncRoutine = bool (*)(TEFParser&);

struct TFuncEntry
{
    TFuncRoutine Routine = nullptr;
    std::u16string Name;
    std::int32_t ArgCount = 0;
};

class TEFParser
{
public:
    // Base units, the 27 built-in functions, and the variables "Pi" and "PU".
    TEFParser();

    std::uint32_t FuncCount = 0;
    std::array<TFuncEntry, 101> Funcs;
    TSINumberList Stack;
    std::u16string ErrMsg = u"OK!";
    std::int32_t ErrPos = 1;
    std::int32_t ErrLen = 0;
    TSIVarList Vars;
    TSIUnitList Units;

    // Prepares formula (trimmed, blanks removed) and evaluates it. On return formula holds what
    // was not read (empty after a complete evaluation). False with ErrMsg/ErrPos/ErrLen set on
    // a formula error; QuorvelError for the few faults that are raised (division by zero,
    // floating-point faults, "OK, valid ist nötig! (1)", nesting too deep).
    bool Evaluate(TSINumber& result, std::u16string& formula);
    // The same for a formula that is trimmed and free of blanks already, read where it lies;
    // what was not read is dropped. The worksheet's parts of a line come this way, uncopied.
    bool EvaluatePrepared(TSINumber& result, std::u16string_view formula);

    // Raises when name is a function (any letter case) or a unit.
    void SetVar(std::u16string_view name, const TSINumber& value);
    // First function whose name matches, ignoring the case of A to Z; -1 if none.
    std::int32_t FindFunction(std::u16string_view name) const;
    std::int32_t FindUnit(std::u16string_view name) const { return Units.IndexOf(name); }
    std::int32_t VarCount() const { return Vars.Count; }

    void ClearError();
    bool SetError(std::u16string_view text);
    // Cuts text at ErrPos/ErrLen into the part before the mark, the mark and the rest.
    void SplitAtError(std::u16string_view text, std::u16string& before, std::u16string& after,
                      std::u16string& mark) const;
    // The mark SplitAtError cuts out of a text of that size: 0-based start and length.
    struct Span
    {
        std::int32_t start = 0;
        std::int32_t length = 0;
    };
    Span ErrorSpan(std::size_t size) const;

    void AddFunction(std::u16string_view name, TFuncRoutine routine, std::int32_t argCount);
    void Push(const TSINumber& value) { Stack.Add(value); }
    bool Pop(TSINumber& value);

    // The scanner primitives; rest is shortened from the front. The inline ones are defined in
    // formula/scanner.h.
    static inline bool IsOperator(char16_t ch, char16_t& op);
    int NextToken(std::u16string_view& rest, std::u16string_view& operand, char16_t& op);
    // The same, handing out what was read of a number operand (kind 1) as well.
    inline int NextToken(std::u16string_view& rest, std::u16string_view& operand, char16_t& op,
                         NumberScan& number);
    bool OPLevel(char16_t op, int& level);
    bool GetBracket(std::u16string_view& rest, std::u16string_view& inner, char16_t& op);

    bool EvalExpr(int level, TSINumber& result, std::u16string_view& rest, char16_t& op);

private:
    bool evaluateFrom(TSINumber& result, std::u16string_view& rest);
    [[gnu::noinline, gnu::cold]] bool refuseOperator(char16_t op);
    bool lookupOperand(std::u16string_view name, TSINumber& result, bool& valid,
                       std::int32_t& function);
    bool continueRule(int level, char16_t op, int& lvl, bool& keepGoing);
    bool callFunction(std::u16string_view name, std::int32_t function, std::int32_t bracketPos,
                      std::u16string_view inner, TSINumber& result, bool& valid);

    // One routine per operator level of EvalExpr's loop. Each applies op to result, reading
    // what it needs from rest, and leaves the next operator in op.
    bool readRightOperand(int level, bool valid, TSINumber& right, std::u16string_view& rest,
                          char16_t& next);
    bool applyAdditive(bool valid, TSINumber& result, std::u16string_view& rest, char16_t& op);
    bool applyMultiplicative(bool valid, TSINumber& result, std::u16string_view& rest,
                             char16_t& op);
    bool applyPower(bool valid, TSINumber& result, std::u16string_view& rest, char16_t& op);
    bool applySquare(bool valid, TSINumber& result, std::u16string_view& rest, char16_t& op);
    bool applyBracket(std::u16string_view operand, std::int32_t function, bool& valid,
                      TSINumber& result, std::u16string_view& rest, char16_t& op);

    std::u16string m_prepared; // reused between evaluations
    int m_depth = 0;
    // The functions by their names with A to Z in upper case: open addressing over indexes of
    // Funcs (-1: empty), a power of two in size and at most half full, each name once with its
    // first function. A name is found with one hash and a comparison or two, where a list of
    // the functions of its initial took a comparison with each.
    static constexpr std::size_t kFunctionSlots = 256;
    static_assert(kFunctionSlots >= 2 * std::tuple_size_v<decltype(Funcs)>);
    std::array<std::int16_t, kFunctionSlots> m_functionSlots;
};

} // namespace quorvel
