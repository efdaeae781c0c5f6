#include "engine/Compiler.h"

#include <gtest/gtest.h>

using namespace tessera;

namespace {

std::unique_ptr<Program> Compile(const std::string& source) {
    std::string error;
    auto program = CompileSource("c.tsc", source, error);
    EXPECT_TRUE(program) << error;
    return program;
}

std::string CompileError(const std::string& source) {
    std::string error;
    EXPECT_FALSE(CompileSource("c.tsc", source, error));
    return error;
}

int CountOps(const Proto& proto, Op op) {
    int n = 0;
    for (const Instr& in : proto.code)
        n += in.op == op;
    return n;
}

TEST(Compiler, CountingLoopIsThreeInstructionsWithoutConversions) {
    auto program = Compile("int sum = 0;\n"
                           "for (int i = 0; i < 100; i++) { sum += i % 7; }\n");
    const Proto& main = program->main;
    EXPECT_EQ(CountOps(main, Op::CONV), 0);
    EXPECT_EQ(CountOps(main, Op::MOVE), 0);
    EXPECT_EQ(CountOps(main, Op::JLTI), 1); // the test before the first iteration
    // MODI, ADD (sum), FORINC + its jump word back: one iteration.
    size_t step = 0;
    while (main.code[step].op != Op::FORINC)
        ++step;
    EXPECT_EQ(main.code[step - 1].op, Op::ADD);
    EXPECT_EQ(main.code[step - 2].op, Op::MODI);
    EXPECT_EQ(main.code[step + 1].op, Op::JMP);
    EXPECT_EQ(static_cast<int>(step + 2) + main.code[step + 1].Sbx(), static_cast<int>(step - 2));
}

TEST(Compiler, LoopsThatAreNotCountingUseCompareAndJump) {
    // A float counter, a computed limit and a step that is not constant.
    for (const char* source : {"for (float f = 0; f < 3; f++) { }",
                               "list l = [1]; for (int i = 0; i < Count(l); i++) { }",
                               "int k = 2; for (int i = 0; i < 9; i += k) { }"}) {
        auto program = Compile(source);
        EXPECT_EQ(CountOps(program->main, Op::FORINC), 0) << source;
        EXPECT_EQ(CountOps(program->main, Op::JLT) + CountOps(program->main, Op::JLTI), 1)
            << source;
    }
}

TEST(Compiler, StringAppendTargetsTheVariableItself) {
    auto program = Compile("string s = \"\";\ns += \"x\";\ns = s + \"y\";\n");
    int inPlace = 0;
    for (const Instr& in : program->main.code)
        if (in.op == Op::ADD && in.a == in.b)
            ++inPlace;
    EXPECT_EQ(inPlace, 2);
}

TEST(Compiler, ConversionsOnlyWhereTypesDiffer) {
    EXPECT_EQ(CountOps(Compile("int a = 1; int b = a + 2; float f = 1.5;")->main, Op::CONV), 0);
    EXPECT_EQ(CountOps(Compile("var v = 1; int a = v;")->main, Op::CONV), 1);
    EXPECT_EQ(CountOps(Compile("float f = 1;")->main, Op::CONV), 1);
    auto mixed = Compile("var v = 1; int a = 0; a = a + v;");
    EXPECT_EQ(CountOps(mixed->main, Op::CONV), 0); // the ADD converts instead
    bool marked = false;
    for (const Instr& in : mixed->main.code)
        marked |= in.op == Op::ADD && in.x == static_cast<int>(DeclType::Int) + 1;
    EXPECT_TRUE(marked);
}

TEST(Compiler, GlobalsAreRegistersAtTopLevelAndReachedByIndexInFunctions) {
    auto program = Compile("int g = 1;\nfunction int f() { g += 1; return g; }\nPrint(f());");
    EXPECT_EQ(program->globalCount, 2); // args and g
    EXPECT_EQ(CountOps(program->main, Op::GETGLOBAL), 0);
    EXPECT_GE(CountOps(program->functions[0], Op::GETGLOBAL), 1);
    EXPECT_EQ(CountOps(program->functions[0], Op::SETGLOBAL), 1);
}

TEST(Compiler, UnknownFunctionsBecomeExternalCalls) {
    auto program = Compile("Frobnicate(1, 2);\nuse \"w.dec\";");
    EXPECT_EQ(CountOps(program->main, Op::CALLX), 1);
    EXPECT_FALSE(program->loadsLibraries);
    ASSERT_EQ(program->usedFiles.size(), 1u);
    EXPECT_EQ(program->usedFiles[0], "w.dec");
    EXPECT_TRUE(Compile("dll \"x.so\";")->loadsLibraries);
}

TEST(Compiler, DisassemblyNamesOpsAndConstants) {
    auto program = Compile("function int sq(int x) { return x * x; }\nPrint(\"r\", sq(3));");
    std::string listing = Disassemble(*program);
    EXPECT_NE(listing.find("function #0 sq"), std::string::npos) << listing;
    EXPECT_NE(listing.find("MUL       R1 R0 R0"), std::string::npos) << listing;
    EXPECT_NE(listing.find("\"r\""), std::string::npos) << listing;
    EXPECT_NE(listing.find("CALLB"), std::string::npos) << listing;
}

TEST(Compiler, ErrorsNameFileLineAndColumn) {
    EXPECT_EQ(CompileError("int x = 1;\nx = y;"), "c.tsc:2:5: error: unknown variable 'y'");
    EXPECT_EQ(CompileError("int args = 1;"), "c.tsc:1:5: error: 'args' is already declared");
    EXPECT_EQ(CompileError("int Len = 1;"),
              "c.tsc:1:5: error: 'Len' is the name of a builtin function");
    EXPECT_EQ(CompileError("int x = 1;\nx(2);"), "c.tsc:2:1: error: 'x' is not a function");
    EXPECT_EQ(CompileError("var v = Print;"),
              "c.tsc:1:9: error: 'Print' is a function; call it with ()");
    EXPECT_EQ(CompileError("define A = 1 / 0;"), "c.tsc:1:14: error: division by zero");
    EXPECT_EQ(CompileError("string s = \"a\";\nvar c = s.Length;"),
              "c.tsc:2:10: error: '.Length': member access needs window declarations, which "
              "are not available");
    EXPECT_EQ(CompileError("return 1;"),
              "c.tsc:1:1: error: 'return' with a value outside a function");
    EXPECT_EQ(CompileError("continue;"), "c.tsc:1:1: error: 'continue' outside a loop");
}

// The declaration pass skips statements unparsed; the first error of the
// script is still the one reported.
TEST(Compiler, FirstErrorWinsOverLaterDeclarationErrors) {
    struct Case {
        const char* source;
        const char* error;
    } cases[] = {
        {"x = ;\nint y;\nint y;\n", "c.tsc:1:5: error: expected an expression, found ';'"},
        {"int y;\nint y;\nx = ;\n", "c.tsc:2:5: error: 'y' is already declared"},
        {"if (1) { Print(1) }\ninclude \"/nonexistent/x.tsc\";\n",
         "c.tsc:1:19: error: expected ';', found '}'"},
        {"Print(1);\nfunction int f( { }\n",
         "c.tsc:2:17: error: expected a parameter type, found '{'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompileError(c.source), c.error) << c.source;
}

// Constant indexes past 16 bits stay exact: the last of 70,000 distinct
// strings is the one loaded, not one 65,536 places earlier.
TEST(Compiler, ManyConstantsAndRegistersStayWithinLimits) {
    std::string source;
    for (int k = 0; k < 70000; ++k)
        source += "Print(\"s" + std::to_string(k) + "\");\n";
    auto program = Compile(source);
    ASSERT_TRUE(program);
    EXPECT_EQ(program->main.constants.size(), 70000u);
    std::string listing = Disassemble(*program);
    EXPECT_NE(listing.find("\"s69999\""), std::string::npos);
    std::string tooMany;
    for (int k = 0; k < 0x7fff + 10; ++k)
        tooMany += "int v" + std::to_string(k) + " = " + std::to_string(k) + ";\n";
    EXPECT_NE(CompileError(tooMany).find("too many global variables"), std::string::npos);
}

} // namespace
