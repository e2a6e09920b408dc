#include "SyntheticTemplate.h"

#include <random>

namespace veltor::bench {

namespace {

// "Фамилия Имя Отчество: " in CP1251 escapes, the kind of label text a card has.
constexpr const char *Label = "\\'d4\\'e0\\'ec\\'e8\\'eb\\'e8\\'ff \\'c8\\'ec\\'ff "
                              "\\'ce\\'f2\\'f7\\'e5\\'f1\\'f2\\'e2\\'ee: ";

std::string run(std::mt19937 &random, const std::string &text)
{
    return "{\\rtlch\\fcs1 \\af0\\afs20 \\ltrch\\fcs0 \\fs20\\lang1049\\langfe1049\\insrsid"
           + std::to_string(1000000 + random() % 9000000) + " " + text + "}";
}

void rowDefinition(std::string &out, int cells)
{
    out += "\\trowd \\irow0\\irowband0\\ltrrow\\ts11\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw10 "
           "\\trbrdrl\\brdrs\\brdrw10 \\trbrdrb\\brdrs\\brdrw10 \\trbrdrr\\brdrs\\brdrw10 "
           "\\trbrdrh\\brdrs\\brdrw10 \\trbrdrv\\brdrs\\brdrw10 \\trftsWidth1\\trftsWidthB3"
           "\\trftsWidthA3\\trautofit1\\trpaddl108\\trpaddr108\\trpaddfl3\\trpaddft3\\trpaddfb3"
           "\\trpaddfr3\\tblrsid4525635\\tbllkhdrrows\\tbllklastrow\\tbllkhdrcols\\tbllklastcol"
           "\\tblind0\\tblindtype3 ";
    for (int c = 1; c <= cells; ++c)
        out += "\\clvertalt\\clbrdrt\\brdrs\\brdrw10 \\clbrdrl\\brdrs\\brdrw10 \\clbrdrb\\brdrs"
               "\\brdrw10 \\clbrdrr\\brdrs\\brdrw10 \\cltxlrtb\\clftsWidth3\\clwWidth2392\\clshdrawnil "
               "\\cellx" + std::to_string(2284 * c) + "\n";
}

} // namespace

SyntheticTemplate makeSyntheticTemplate(int tables, int rowsPerTable, int fields)
{
    std::mt19937 random(20250306);
    SyntheticTemplate result;
    result.tables = tables;
    std::string &out = result.bytes;
    out += "{\\rtf1\\adeflang1025\\ansi\\ansicpg1251\\uc1\\adeff0\\deff0\\stshfdbch0\\stshfloch0"
           "\\stshfhich0\\stshfbi0\\deflang1049\\deflangfe1049\\themelang1049{\\fonttbl";
    for (int f = 0; f < 20; ++f)
        out += "{\\f" + std::to_string(f) + "\\fbidi \\froman\\fcharset204\\fprq2{\\*\\panose "
               "02020603050405020304}Font Number " + std::to_string(f) + ";}\n";
    out += "}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\n{\\*\\defchp \\fs22 }"
           "{\\stylesheet";
    for (int s = 0; s < 60; ++s)
        out += "{\\s" + std::to_string(s) + "\\ql \\li0\\ri0\\widctlpar\\wrapdefault\\aspalpha"
               "\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0 \\rtlch\\fcs1 \\af0\\afs24"
               "\\alang1025 \\ltrch\\fcs0 \\fs24\\lang1049\\langfe1049\\cgrid\\langnp1049"
               "\\langfenp1049 \\sbasedon0 \\snext0 \\sqformat Style " + std::to_string(s) + ";}\n";
    out += "}{\\*\\rsidtbl ";
    for (int r = 0; r < 400; ++r)
        out += "\\rsid" + std::to_string(1000000 + random() % 9000000);
    out += "}{\\info{\\title card}{\\author clerk}}\n\\paperw11906\\paperh16838\\margl1701"
           "\\margr850\\margt1134\\margb1134\\sectd\n";

    const char *tableNames[] = {"OSNOVA", "PASSPORT", "TRUD", "SEMJA", "OBRAZ", "DOPOLN", "VOEN"};
    for (int i = 0; i < fields; ++i) {
        const std::string name = std::string(tableNames[i % 7]) + ".FIELD" + std::to_string(i);
        result.placeholders.push_back("<" + name + ">");
    }

    int nextPlaceholder = 0;
    auto paragraph = [&](bool withPlaceholder) {
        out += "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\widctlpar\\wrapdefault\\aspalpha\\aspnum"
               "\\faauto\\adjustright\\rin0\\lin0\\itap0 \\rtlch\\fcs1 \\af0\\afs24\\alang1025 "
               "\\ltrch\\fcs0 \\fs24\\lang1049\\langfe1049\\cgrid\\langnp1049\\langfenp1049 ";
        for (int k = 0; k < 2; ++k) {
            out += run(random, Label);
            if (withPlaceholder && nextPlaceholder < fields) {
                // Two of every three field placeholders occur, split over three runs as Word
                // splits text typed at different times.
                const std::string &p = result.placeholders[static_cast<size_t>(nextPlaceholder)];
                if (nextPlaceholder % 3 != 2) {
                    const size_t dot = p.find('.');
                    out += run(random, p.substr(0, dot + 1)) + run(random, p.substr(dot + 1, 3))
                           + "{\\*\\bkmkstart b" + std::to_string(nextPlaceholder) + "}"
                           + run(random, p.substr(dot + 4));
                }
                ++nextPlaceholder;
            }
        }
        out += run(random, "\\par ") + "\n";
    };

    for (int t = 1; t <= tables; ++t) {
        for (int p = 0; p < 8; ++p)
            paragraph(true);
        // The history (20) and family (12) tables have room for many rows; the others are short.
        const int rows = (t == 12 || t == 20) ? rowsPerTable : 3;
        for (int r = 0; r < 2 + rows; ++r) {
            rowDefinition(out, 4);
            out += "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\widctlpar\\intbl\\wrapdefault\\aspalpha"
                   "\\aspnum\\faauto\\adjustright\\rin0\\lin0 \\rtlch\\fcs1 \\af0\\afs20 \\ltrch"
                   "\\fcs0 \\fs20\\lang1049\\langfe1049\\cgrid\\langnp1049\\langfenp1049 ";
            for (int c = 0; c < 4; ++c)
                out += run(random, r < 2 ? std::string("\\'c3\\'f0\\'e0\\'f4\\'e0 ") + std::to_string(c + 1) : "")
                       + "\\cell ";
            out += "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\widctlpar\\intbl\\wrapdefault\\aspalpha"
                   "\\aspnum\\faauto\\adjustright\\rin0\\lin0 {\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 "
                   "\\insrsid4525635 \\row }\n";
        }
    }
    while (nextPlaceholder < fields)
        paragraph(true);
    out += run(random, "<TRUD>") + run(random, "<SEMJA>") + "\\par }\n";
    return result;
}

} // namespace veltor::bench
