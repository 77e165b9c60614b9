// docgen must find every text the library can show, however the code passes
// the key on, and must refuse a page with anything left unexplained: the
// manual's drift test relies on both.
#include <gtest/gtest.h>

#include "pages.h"
#include "source_scan.h"
#include "text.h"

namespace krv::test {
namespace {

using docgen::ScanResult;

std::string Found(const std::string& source) {
    ScanResult r;
    docgen::ScanSource("x.cpp", source, r);
    std::string out;
    for (const auto& k : r.keys) out += k.section + "/" + k.key + "=" + k.polish + ";";
    for (const auto& e : r.errors) out += "ERROR " + e + ";";
    return out;
}

TEST(DocgenScan, FollowsEveryWayAKeyReachesALookup) {
    const std::string section = "constexpr std::string_view kSection = \"S\";\n";
    struct Case {
        const char* what;
        std::string source;
        std::string found;
    } cases[] = {
        {"literal key, section constant",
         section + "void f() { Msg(Tr(lg, kSection, \"K\", \"Tekst\")); }", "S/K=Tekst;"},
        {"literal section, joined literals, comments ignored",
         "void f() { Tr(lg, \"T\", \"K\", \"a\" /* x */ \"b\\r\\n\");\n"
         "// Tr(lg, \"T\", \"Old\", \"gone\");\n}",
         "T/K=ab\r\n;"},
        {"helper passing key and text",
         section + "[[noreturn]] void Fault(const L* lg, const char* key, const char* text) {\n"
                   "  try { g(); } catch (...) { throw E(Tr(lg, kSection, key, text)); } }\n"
                   "void h() { Fault(lg, \"K1\", \"A\"); if (x) Fault(lg_, \"K2\", \"B\"); }",
         "S/K1=A;S/K2=B;"},
        {"helper with a fixed text",
         section +
             "void Bad(const L* lg, const char* key) { throw E(Tr(lg, kSection, key, \"D\")); }\n"
             "int f() { if (x) Bad(lg_, \"K3\"); return 1; }",
         "S/K3=D;"},
        {"named lambda",
         section +
             "void f() { auto report = [&](const std::vector<std::string>& l, "
             "std::string_view key, std::string_view text) { M(Tr(lg, kSection, key, text)); };\n"
             "report(a, \"K4\", \"E\"); }",
         "S/K4=E;"},
        {"key and text tables by index",
         section + "void f() { static constexpr std::string_view kKeys[2] = {\"A1\", \"A2\"};\n"
                   "static constexpr std::string_view kTexts[2] = {\"x\", \"y\"};\n"
                   "for (int i = 0; i < 2; ++i) M(Tr(lg, kSection, kKeys[i], kTexts[i])); }",
         "S/A1=x;S/A2=y;"},
        {"a lookup wrapping another, its declaration, and its calls",
         "std::string TrFormat(const L* lg, std::string_view s, std::string_view k, "
         "std::string_view d);\n"
         "std::string A::TrFormat(const L* lg, std::string_view s, std::string_view k, "
         "std::string_view d) { return Tr(lg, s, k, d) + Tr(nullptr, s, k, d); }\n"
         "void f() { F(A::TrFormat(lg, \"S2\", \"K5\", \"x %s\")); }",
         "S2/K5=x %s;"},
        {"GetString has its default fifth",
         "void f() { M(TMLgExtTools::GetString(lg, \"S\", \"K6\", 0, \"G\")); }", "S/K6=G;"},
        {"a key that cannot be followed",
         section + "void f() {\n M(Tr(lg, kSection, MakeKey(), \"x\")); }",
         "ERROR x.cpp:3: a text lookup whose section, key or default cannot be followed;"},
        {"a helper nobody calls",
         section +
             "void Bad(const L* lg, const char* key) {\n throw E(Tr(lg, kSection, key, \"D\")); }",
         "ERROR x.cpp:3: the text comes from a parameter of Bad, never called;"},
    };
    for (const Case& c : cases) EXPECT_EQ(Found(c.source), c.found) << c.what;
}

TEST(DocgenScan, OneKeyWithTwoTextsIsAnError) {
    ScanResult r;
    docgen::ScanSource(
        "a.cpp", "void f() { Tr(lg, \"S\", \"K\", \"one\"); Tr(lg, \"S\", \"K\", \"one\"); }", r);
    docgen::ScanSource(
        "b.cpp", "void g() { Tr(lg, \"S\", \"K\", \"two\"); Tr(lg, \"S\", \"J\", \"j\"); }", r);
    docgen::MergeKeys(r);
    ASSERT_EQ(r.keys.size(), 2u);
    EXPECT_EQ(r.keys[0].key, "J");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_NE(r.errors[0].find("S/K is looked up with two different default texts"),
              std::string::npos);
}

docgen::Notes Parse(const std::string& text) {
    docgen::Notes n;
    std::string error;
    EXPECT_TRUE(n.Parse("notes", text, &error)) << error;
    return n;
}

TEST(DocgenPages, EverythingUnexplainedOrStaleIsAnError) {
    host::CatalogueEntry choice;
    choice.group = 101;
    choice.kind = KRV_PARAM_CHOICE;
    choice.name = "Mode";
    choice.default_value = "1";
    choice.choices = {"Nie", "Tak"};
    const std::vector<host::CatalogueEntry> catalogue = {choice};
    struct Case {
        const char* notes;
        std::vector<std::string> errors;
    } cases[] = {
        {"Intro.\n[Mode]\n@what: w\n@when: n\n@choice 0: off\n@choice 1: on\n", {}},
        {"[Mode]\n@what: w\n@when: n\n@choice 0: off\n", {"parameter Mode lacks @choice 1 (Tak)"}},
        {"[Mode]\n@what: w\n@choice 0: a\n@choice 1: b\n@choice 2: c\n[Gone]\n@what: x\n",
         {"parameter Mode lacks @when", "parameter Mode: @choice 2 explains nothing",
          "the notes explain Gone, which the catalogue lacks"}},
        {"", {"parameter Mode has no explanation"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> errors;
        docgen::ParametersPage(catalogue, catalogue, Parse(c.notes), errors);
        EXPECT_EQ(errors, c.errors) << c.notes;
    }

    const std::vector<docgen::TextKey> keys = {{"S", "A", "Brak pliku: ", "a.cpp"},
                                               {"S", "B", " w katalogu %s", "a.cpp"}};
    host::Translations english;
    std::string error;
    ASSERT_TRUE(english.Parse("S/A=No file: \n", &error));
    std::vector<std::string> errors;
    std::string page =
        docgen::MessagesPage(keys, english, Parse("[A B]\n@cause: c\n@fix: f\n"), errors);
    EXPECT_TRUE(errors.empty());
    EXPECT_NE(page.find("### `Brak pliku: … w katalogu …`"), std::string::npos) << page;
    EXPECT_NE(page.find("(no English text: shown in Polish)"), std::string::npos);

    // A translation whose conversions differ is never shown: an error.
    ASSERT_TRUE(english.Parse("S/B= in the folder %d\n", &error));
    errors.clear();
    docgen::MessagesPage(keys, english, Parse("[A B]\n@cause: c\n@fix: f\n"), errors);
    EXPECT_EQ(errors, (std::vector<std::string>{"lang/en.lang: S/B: the English text's "
                                                "%-conversions differ from the Polish"}));

    errors.clear();
    docgen::MessagesPage(keys, english, Parse("[A]\n@cause: c\n[Z]\n@cause: c\n@fix: f\n"), errors);
    EXPECT_EQ(errors,
              (std::vector<std::string>{
                  "messages.txt:1: a block needs @cause and @fix",
                  "messages.txt:3: Z is no text the library looks up",
                  "a.cpp: S/B (\" w katalogu %s\") has no entry in docs/src/messages.txt"}));
}

}  // namespace
}  // namespace krv::test
