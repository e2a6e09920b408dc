#include "Session.h"

#include <algorithm>
#include <fstream>
#include <set>

#include "DemoInstall.h"
#include "app/Dialogs.h"
#include "documents/TemplatePrinting.h"
#include "storage/DBFUnit.h"
#include "storage/FileNames.h"

namespace veltor::test {

namespace fs = std::filesystem;

Session::Session(const std::function<void(const fs::path &)> &prepare)
{
    run = fs::path(m_temp.path().toStdString()) / "run";
    demo::installDemo(VELTOR_DEMO_DIR, run);
    if (prepare)
        prepare(run);
    m_previous = documentApplicationFactory();
    setDocumentApplicationFactory(rtfApplicationFactory([this](const fs::path &f) { shown.push_back(f); }));
    Dialogs::setTestMode(true);
    Dialogs::clearRecorded();
    state.ProgramFolder = run;
    form1 = std::make_unique<TForm1>(state);
    form2 = std::make_unique<TForm2>(state, *form1);
    form3 = std::make_unique<TForm3>(state, *form1);
    form4 = std::make_unique<TForm4>(state, *form1);
    FormLinks links;
    links.Form2 = form2.get();
    links.Form3 = form3.get();
    links.Form4 = form4.get();
    links.printTemplate = [this](int tag) { form2->ButPechatClick(tag); };
    links.choosePosition = [this](std::function<void(int)> picked) { form3->choosePosition(std::move(picked)); };
    form1->setLinks(links);
}

void Session::start()
{
    form1->FormCreate();
    form1->show();
}

Session::~Session()
{
    setDocumentApplicationFactory(m_previous);
    if (state.Lock)
        state.Lock->release();
    form4.reset();
    form3.reset();
    form2.reset();
    form1.reset();
    // A test may have left folders read-only.
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(run, ignored); it != fs::recursive_directory_iterator(); ++it)
        if (it->is_directory(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
}

std::string Session::bytes(const fs::path &relative) const
{
    std::ifstream in(run / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Snapshot Session::snapshot() const
{
    // The files hold the run folder's path; sessions in other temporary folders (of the same
    // length) compare equal when they hold the same data.
    const std::string folder = m_temp.path().toStdString(), same(folder.size(), '#');
    Snapshot files;
    for (const auto &entry : fs::recursive_directory_iterator(run)) {
        if (!entry.is_regular_file())
            continue;
        std::string data = bytes(fs::relative(entry.path(), run));
        for (size_t at = data.find(folder); at != std::string::npos; at = data.find(folder, at))
            data.replace(at, folder.size(), same);
        files[fs::relative(entry.path(), run).generic_string()] = std::move(data);
    }
    return files;
}

bool isTableFile(const fs::path &relative)
{
    std::string name = relative.filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name == "config.ini" || name == "stolb" || name == "konstanty" || name == "pechat"
           || (name.size() > 4 && name.substr(name.size() - 4) == ".dbf");
}

Snapshot Session::tableFiles() const
{
    Snapshot all = snapshot(), tables;
    for (auto &[name, data] : all)
        if (isTableFile(name))
            tables[name] = std::move(data);
    return tables;
}

std::vector<std::string> unreadableTables(const fs::path &run, const Snapshot &files)
{
    std::vector<std::string> problems;
    for (const auto &[name, data] : files) {
        if (fs::path(name).filename() == "config.ini" || data.empty())
            continue;
        try {
            ReadTable(run / name);
        } catch (const std::exception &e) {
            problems.push_back(name + ": " + e.what());
        }
    }
    return problems;
}

std::vector<std::string> duplicateCodes(const fs::path &osnova)
{
    const LoadedTable t = ReadTable(osnova);
    const int kod = FieldIndex(t.Header, "KOD");
    std::set<std::string> seen, twice;
    for (int r = 1; r <= t.Header.RecordCount; ++r) {
        const std::string code = GetField(t.Header, t.Data, r, kod);
        if (!seen.insert(code).second)
            twice.insert(code);
    }
    return {twice.begin(), twice.end()};
}

} // namespace veltor::test
