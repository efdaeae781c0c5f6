#include "engine/Parser.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

using namespace tessera;

namespace {

// S-expression of an expression tree, to check its shape.
std::string Show(const Expr& e) {
    switch (e.kind) {
    case ExprKind::IntLit:
        return std::to_string(e.intValue);
    case ExprKind::Name:
        return e.text;
    case ExprKind::BoolLit:
        return e.intValue ? "true" : "false";
    case ExprKind::StrLit:
        return "\"" + e.text + "\"";
    case ExprKind::Unary:
        return std::string("(") + TokName(e.op) + " " + Show(*e.args[0]) + ")";
    case ExprKind::Binary:
        return std::string("(") + TokName(e.op) + " " + Show(*e.args[0]) + " " + Show(*e.args[1]) +
               ")";
    case ExprKind::Index:
        return "(index " + Show(*e.args[0]) + " " + Show(*e.args[1]) + ")";
    case ExprKind::Call: {
        std::string out = "(call " + e.text;
        for (const auto& a : e.args)
            out += " " + Show(*a);
        return out + ")";
    }
    case ExprKind::ListLit: {
        std::string out = "[";
        for (const auto& a : e.args)
            out += (out.size() > 1 ? " " : "") + Show(*a);
        return out + "]";
    }
    default:
        return "?";
    }
}

std::string ShowExpression(const std::string& text) {
    auto stmts = ParseScript("var r = " + text + ";");
    return Show(*stmts.at(0)->value);
}

struct Shape {
    std::string label;
    std::string source;
    std::string tree;
};

class ParserShapes : public ::testing::TestWithParam<Shape> {};

TEST_P(ParserShapes, FollowPrecedenceTable) {
    EXPECT_EQ(ShowExpression(GetParam().source), GetParam().tree);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParserShapes,
    ::testing::Values(Shape{"mul_before_add", "1 + 2 * 3", "(+ 1 (* 2 3))"},
                      Shape{"left_assoc", "1 - 2 - 3", "(- (- 1 2) 3)"},
                      Shape{"and_before_or", "a || b && c", "(|| a (&& b c))"},
                      Shape{"compare_before_equal", "a < b == c > d", "(== (< a b) (> c d))"},
                      Shape{"equal_before_and", "a == b && c != d", "(&& (== a b) (!= c d))"},
                      Shape{"unary_binds_tight", "-a * !b", "(* (- a) (! b))"},
                      Shape{"negative_literal_folds", "-5 - -3", "(- -5 -3)"},
                      Shape{"index_and_call", "f(a, [1, 2])[0][i + 1]",
                            "(index (index (call f a [1 2]) 0) (+ i 1))"},
                      Shape{"parens", "(1 + 2) * 3", "(* (+ 1 2) 3)"},
                      Shape{"modulo_level", "a % b * c + d", "(+ (* (% a b) c) d)"}),
    LabelName());

TEST(Parser, StatementsKeepTheirParts) {
    auto stmts = ParseScript(R"(
        function int f(int a, list b) { return a; }
        for (int i = 0; i < 3; i++) { }
        for (var x in items) Print(x);
        try { } catch (string e) { }
        define N = 3;
        include "x.tsc";
        use "y.dec";
        dll "z.so";
        exit 2;
    )");
    ASSERT_EQ(stmts.size(), 9u);
    EXPECT_EQ(stmts[0]->kind, StmtKind::Function);
    EXPECT_EQ(stmts[0]->params.size(), 2u);
    EXPECT_EQ(stmts[0]->params[1].type, DeclType::List);
    EXPECT_EQ(stmts[1]->kind, StmtKind::For);
    EXPECT_EQ(stmts[1]->step->op, Tok::PlusPlus);
    EXPECT_EQ(stmts[2]->kind, StmtKind::ForIn);
    EXPECT_EQ(stmts[2]->name, "x");
    EXPECT_EQ(stmts[3]->kind, StmtKind::Try);
    EXPECT_EQ(stmts[3]->name, "e");
    EXPECT_EQ(stmts[4]->kind, StmtKind::Define);
    EXPECT_EQ(stmts[5]->text, "x.tsc");
    EXPECT_EQ(stmts[6]->kind, StmtKind::Use);
    EXPECT_EQ(stmts[7]->kind, StmtKind::Dll);
    EXPECT_EQ(stmts[8]->kind, StmtKind::Exit);
}

TEST(Parser, LiteralListAcceptsOnlyLiterals) {
    auto items = ParseLiteralList(" 1, -2.5 , \"a,b\", true ");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1]->kind, ExprKind::FloatLit);
    EXPECT_DOUBLE_EQ(items[1]->floatValue, -2.5);
    EXPECT_EQ(items[2]->text, "a,b");
    EXPECT_TRUE(ParseLiteralList("").empty());
    EXPECT_THROW(ParseLiteralList("1 + 2"), CompileError);
    EXPECT_THROW(ParseLiteralList("x"), CompileError);
    EXPECT_THROW(ParseLiteralList("1,"), CompileError);
    EXPECT_THROW(ParseLiteralList("-\"a\""), CompileError);
}

TEST(Parser, DeepNestingIsAnErrorNotACrash) {
    std::string deep(100000, '(');
    EXPECT_THROW(ParseScript("var x = " + deep + "1;"), CompileError);
    std::string blocks;
    for (int k = 0; k < 100000; ++k)
        blocks += "{";
    EXPECT_THROW(ParseScript(blocks), CompileError);
    std::string negations(100000, '-');
    EXPECT_THROW(ParseScript("var x = " + negations + "1;"), CompileError);
}

struct ParseError {
    std::string label;
    std::string source;
    int line;
    int column;
    std::string message;
};

class ParserErrors : public ::testing::TestWithParam<ParseError> {};

TEST_P(ParserErrors, ReportTheFirstProblem) {
    const ParseError& c = GetParam();
    try {
        ParseScript(c.source);
        FAIL() << "no error";
    } catch (const CompileError& e) {
        EXPECT_EQ(std::string(e.what()), c.message);
        EXPECT_EQ(e.line, c.line);
        EXPECT_EQ(e.column, c.column);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParserErrors,
    ::testing::Values(
        ParseError{"missing_paren", "if (a { }", 1, 7, "expected ')', found '{'"},
        ParseError{"unclosed_block", "while (true) {\n Print(1);", 1, 14, "'{' is never closed"},
        ParseError{"assign_to_call", "f() = 3;", 1, 5,
                   "can only assign to a variable or a list element"},
        ParseError{"catch_needs_string", "try { } catch (int e) { }", 1, 16,
                   "expected 'string' before the catch variable, found 'int'"},
        ParseError{"define_in_function", "function void f() { define X = 1; }", 1, 21,
                   "'define' may only be used at the top level"},
        ParseError{"call_non_name", "(f)(1);", 1, 4, "only a named function can be called"},
        ParseError{"step_declares", "for (;; int i = 0) { }", 1, 18,
                   "the loop's step cannot declare a variable"},
        ParseError{"missing_type", "function f() { }", 1, 10,
                   "expected the function's result type, found 'f'"},
        ParseError{"reserved_as_value", "int x = while;", 1, 9,
                   "expected an expression, found 'while' (a reserved word)"}),
    LabelName());

} // namespace
