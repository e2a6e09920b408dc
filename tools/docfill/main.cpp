// docfill: fills a document template from the command line, for template authors.
//
//   docfill TEMPLATE OUT [NAME=VALUE ...] [--cell TABLE,ROW,COLUMN=TEXT ...]
//
// Opens TEMPLATE (RTF, or Office Open XML for a .docx), replaces in the order given every <NAME>
// by VALUE and sets the given table cells, through the same calls the program's printing makes,
// and saves OUT. Arguments are UTF-8; values are taken verbatim, trailing blanks included, and
// letters beyond CP1251 are kept (\uN in RTF). A NAME that matched nothing is warned about.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <QList>
#include <QString>

#include "printing/WordApi.h"
#include "printing/DocumentFiles.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

namespace {

constexpr std::string_view Usage =
    "usage: docfill TEMPLATE OUT [NAME=VALUE ...] [--cell TABLE,ROW,COLUMN=TEXT ...]\n"
    "  replaces every <NAME> by VALUE in the order given and sets the given cells,\n"
    "  then saves OUT in the template's format (RTF or .docx), whatever its extension;\n"
    "  warns about every NAME that matched nothing\n";

struct Step {
    bool cell = false;
    std::string name; // placeholder text "<NAME>", UTF-8
    int table = 0, row = 0, column = 0;
    std::string value; // UTF-8
};

std::u32string toUnicode(const std::string &utf8)
{
    const QList<uint> codes = QString::fromStdString(utf8).toUcs4();
    return std::u32string(codes.begin(), codes.end());
}

// The first character of a UTF-8 text that CP1251 cannot hold; empty when there is none.
std::string beyondCp1251(const std::string &utf8)
{
    for (char32_t c : toUnicode(utf8)) {
        const std::u32string one(1, c);
        const QString text = QString::fromUcs4(one.data(), 1);
        if (veltor::cp1251ToUtf8(veltor::utf8ToCp1251(text.toStdString())) != text.toStdString())
            return text.toStdString();
    }
    return {};
}

[[noreturn]] void usageError(const std::string &message)
{
    std::fprintf(stderr, "docfill: %s\n%.*s", message.c_str(), static_cast<int>(Usage.size()),
                 Usage.data());
    std::exit(2);
}

// "3,2,1=text": table, row and column from 1.
Step parseCell(std::string_view argument)
{
    const size_t equals = argument.find('=');
    if (equals == std::string_view::npos)
        usageError("--cell wants TABLE,ROW,COLUMN=TEXT, got \"" + std::string(argument) + "\"");
    Step step;
    step.cell = true;
    const std::string address(argument.substr(0, equals));
    char tail = 0;
    if (std::sscanf(address.c_str(), "%d,%d,%d%c", &step.table, &step.row, &step.column, &tail) != 3
        || step.table < 1 || step.row < 1 || step.column < 1)
        usageError("bad cell address \"" + address + "\": three numbers from 1 wanted");
    step.value = std::string(argument.substr(equals + 1));
    return step;
}

Step parseReplacement(std::string_view argument)
{
    const size_t equals = argument.find('=');
    if (equals == std::string_view::npos || equals == 0)
        usageError("expected NAME=VALUE, got \"" + std::string(argument) + "\"");
    Step step;
    std::string placeholder = "<";
    placeholder.append(argument.substr(0, equals)).append(">");
    step.name = placeholder;
    step.value = std::string(argument.substr(equals + 1));
    return step;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && (arguments[0] == "-h" || arguments[0] == "--help")) {
        std::fwrite(Usage.data(), 1, Usage.size(), stdout);
        return 0;
    }
    if (arguments.size() < 2)
        usageError("TEMPLATE and OUT are required");
    const std::filesystem::path templatePath(arguments[0]);
    const std::filesystem::path outPath(arguments[1]);
    std::vector<Step> steps;
    for (size_t i = 2; i < arguments.size(); ++i) {
        if (arguments[i] == "--cell") {
            if (++i == arguments.size())
                usageError("--cell needs TABLE,ROW,COLUMN=TEXT");
            steps.push_back(parseCell(arguments[i]));
        } else if (arguments[i].starts_with("--cell=")) {
            steps.push_back(parseCell(arguments[i].substr(7)));
        } else {
            steps.push_back(parseReplacement(arguments[i]));
        }
    }

    try {
        auto word = veltor::createApplication(veltor::rtfApplicationFactory(nullptr));
        veltor::Document &document = word->open(templatePath);
        auto *unicode = dynamic_cast<veltor::UnicodeTextDocument *>(&document);
        if (unicode == nullptr)
            for (const Step &step : steps)
                if (const std::string bad = beyondCp1251(step.name + step.value); !bad.empty()) {
                    std::fprintf(stderr, "docfill: \"%s\" holds \"%s\", which %s cannot hold\n",
                                 (step.cell ? step.value : step.name).c_str(), bad.c_str(),
                                 veltor::displayPath(templatePath).c_str());
                    return 1;
                }
        for (const Step &step : steps) {
            if (step.cell && unicode)
                unicode->setCellTextUnicode(step.table, step.row, step.column, toUnicode(step.value));
            else if (step.cell)
                document.setCellText(step.table, step.row, step.column, veltor::utf8ToCp1251(step.value));
            else if (!unicode)
                veltor::zamenaVDokumente(veltor::utf8ToCp1251(step.name), veltor::utf8ToCp1251(step.value), *word);
            else if (unicode->replaceAllUnicode(toUnicode(step.name), toUnicode(step.value)) == 0)
                std::fprintf(stderr, "docfill: warning: %s matched nothing\n", step.name.c_str());
        }
        document.saveAs(outPath);
    } catch (const veltor::VeltorError &error) {
        std::fprintf(stderr, "docfill: %s\n", error.what());
        return 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "docfill: %s\n", error.what());
        return 1;
    }
    return 0;
}
