#pragma once
// The program as main() builds it, on a fresh copy of the demo database in a temporary folder:
// the four windows linked, start-up run, documents "shown" into a list instead of an
// application. Shared by the failed-write tests, the damaged-database catalogue and the random
// session driver.
#include <QTemporaryDir>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "records/AppState.h"
#include "app/Unit1.h"
#include "card/Unit2.h"
#include "listtools/Unit3.h"
#include "orders/Unit4.h"
#include "printing/WordApi.h"

namespace veltor::test {

// Every file under a folder (relative path -> bytes).
using Snapshot = std::map<std::string, std::string>;

class Session {
public:
    // Installs the demo; `prepare` may damage the copy before the program starts on it.
    explicit Session(const std::function<void(const std::filesystem::path &run)> &prepare = {});
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    void start(); // FormCreate, as main() runs it; the windows shown
    Snapshot snapshot() const;
    // The table files (*.dbf, Stolb, Konstanty, Pechat) and config.ini of the run folder.
    Snapshot tableFiles() const;
    std::string bytes(const std::filesystem::path &relative) const;

    std::filesystem::path run;
    AppState state;
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
    std::vector<std::filesystem::path> shown; // documents opened for the user

private:
    QTemporaryDir m_temp;
    ApplicationFactory m_previous;
};

// True for the files the program keeps as tables (any letter case).
bool isTableFile(const std::filesystem::path &relative);

// Every table of `files` reads as a sane table; returns the problems, empty when none.
std::vector<std::string> unreadableTables(const std::filesystem::path &run, const Snapshot &files);

// The employee codes of osnova.dbf that occur more than once (empty when all are unique).
std::vector<std::string> duplicateCodes(const std::filesystem::path &osnova);

} // namespace veltor::test
