// Scripts that generators and recorders write: very long operator chains,
// long else-if chains, tens of thousands of functions and constants. Each
// is generated here and must compile and run with the right result.
#include "EngineTestUtil.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

std::string Repeat(const std::string& first, const std::string& more, int count) {
    std::string text = first;
    for (int k = 1; k < count; ++k)
        text += more;
    return text;
}

std::string ElseIfChain(int branches, int value) {
    std::string text = "int v = " + std::to_string(value) + ";\n";
    for (int k = 0; k < branches; ++k)
        text += std::string(k ? "else " : "") + "if (v == " + std::to_string(k) + ") Print(\"b" +
                std::to_string(k) + "\");\n";
    return text + "else Print(\"none\");\n";
}

std::string ManyFunctions(int count) {
    std::string text;
    for (int k = 0; k < count; ++k)
        text += "function int f" + std::to_string(k) + "() { return " + std::to_string(k) + "; }\n";
    return text + "Print(f0(), \" \", f" + std::to_string(count - 1) + "());\n";
}

// One statement per recorded action, each with constants of its own.
std::string Recording(int lines) {
    std::string text = "string text = \"\";\nfloat delay = 0;\nint clicks = 0;\n";
    for (int k = 0; k < lines; ++k) {
        std::string n = std::to_string(k);
        switch (k % 3) {
        case 0:
            text += "text = \"typed " + n + "\";\n";
            break;
        case 1:
            text += "delay = " + n + ".5;\n";
            break;
        default:
            text += "clicks += " + n + ";\n";
            break;
        }
    }
    return text + "Print(text, \" \", delay, \" \", clicks);\n";
}

struct LargeCase {
    const char* name;
    std::function<std::string()> source;
    std::string output;
};

void PrintTo(const LargeCase& c, std::ostream* out) {
    *out << c.name;
}

class LargeScript : public ::testing::TestWithParam<LargeCase> {};

TEST_P(LargeScript, CompilesAndRuns) {
    ScriptRun run = RunScript(GetParam().source());
    ASSERT_TRUE(run.loaded) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, GetParam().output);
}

constexpr int kChain = 200000;

INSTANTIATE_TEST_SUITE_P(
    Cases, LargeScript,
    ::testing::Values(
        LargeCase{"PlusChain",
                  [] { return "int x = " + Repeat("1", " + 1", kChain) + ";\nPrint(x);\n"; },
                  std::to_string(kChain) + "\n"},
        LargeCase{"MixedChainKeepsPrecedence",
                  [] { return "Print(" + Repeat("2 * 3", " - 2 * 3 + 1", kChain / 4) + ");\n"; },
                  std::to_string(6 - (kChain / 4 - 1) * 5) + "\n"},
        LargeCase{"StringChain",
                  [] {
                      return "string s = " + Repeat("\"ab\"", " + \"ab\"", kChain) +
                             ";\nPrint(Len(s));\n";
                  },
                  std::to_string(2 * kChain) + "\n"},
        LargeCase{"AndChainInAValue",
                  [] {
                      return "bool b = " + Repeat("true", " && true", kChain) +
                             ";\nbool c = " + Repeat("true", " && true", kChain) +
                             " && false;\nPrint(b, \" \", c);\n";
                  },
                  "true false\n"},
        LargeCase{"OrChainInACondition",
                  [] {
                      return "int n = 7;\nif (" + Repeat("n == 0", " || n == 0", kChain) +
                             " || n == 7) Print(\"found\");\nwhile (" +
                             Repeat("n < 0", " || n < 0", kChain) + ") n = 0;\nPrint(n);\n";
                  },
                  "found\n7\n"},
        LargeCase{"ComparisonChain",
                  [] { return "Print(" + Repeat("1", " == 1", kChain) + ");\n"; }, "true\n"},
        LargeCase{"DefineChain",
                  [] { return "define N = " + Repeat("1", " + 1", kChain) + ";\nPrint(N);\n"; },
                  std::to_string(kChain) + "\n"},
        LargeCase{"ElseIfChainTakesTheMatchingBranch", [] { return ElseIfChain(1000, 777); },
                  "b777\n"},
        LargeCase{"ElseIfChainFallsToElse", [] { return ElseIfChain(1000, -1); }, "none\n"},
        LargeCase{"ElseIfChainInAFunction",
                  [] {
                      std::string body = ElseIfChain(600, 599);
                      return "function void Pick() {\n" + body + "}\nPick();\n";
                  },
                  "b599\n"},
        LargeCase{"MoreThan65536FunctionsCallTheRightOne", [] { return ManyFunctions(70000); },
                  "0 69999\n"},
        LargeCase{"MillionLineRecording", [] { return Recording(1000000); },
                  "typed 999999 999997.5 166666500000\n"},
        // The first pass finds top-level declarations without parsing the
        // statements between them; bodies of if/else/for stay local.
        LargeCase{"DeclarationsAmongSkippedStatements",
                  [] {
                      return "function void Show() { Print(g, \" \", h); }\n"
                             "if (true) int g = 1; else int h = 1;\n"
                             "for (int i = 0; i < 1; i++) int g = 2;\n"
                             "{ int h = 3; } while (false) int h = 4;\n"
                             "int g = 5; list l = [(1), [2]]; int h = Count(l);\nShow();\n";
                  },
                  "5 2\n"},
        LargeCase{"ByteOrderMarkIsSkipped", [] { return "\xEF\xBB\xBFPrint(\"bom\");\n"; },
                  "bom\n"}),
    [](const ::testing::TestParamInfo<LargeCase>& param) { return param.param.name; });

TEST(LargeScript, ByteOrderMarkDoesNotShiftColumns) {
    ScriptRun run = RunScript("\xEF\xBB\xBFint x = ;\n");
    EXPECT_FALSE(run.loaded);
    EXPECT_NE(run.err.find("test.tsc:1:9: error:"), std::string::npos) << run.err;
}

// The text of a list is Tessera again: reading it back gives an equal list.
TEST(LargeScript, ListTextReadsBackAsTheSameList) {
    const std::string literal =
        "[\"a\\\"b\", \"c\\\\d\", \"e\\nf\\tg\\rh\", \"\\x01\\0\", 1, [\"x\"]]";
    ScriptRun first = RunScript("Print(" + literal + ");\n");
    ASSERT_TRUE(first.loaded) << first.err;
    EXPECT_EQ(first.out, literal + "\n");
    ScriptRun again = RunScript("list l = " + literal + ";\nPrint(l == " +
                                first.out.substr(0, first.out.size() - 1) + ");\n");
    ASSERT_TRUE(again.loaded) << again.err;
    EXPECT_EQ(again.out, "true\n");
}

} // namespace
