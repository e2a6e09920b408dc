#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace veltor::test {

class Session;

// Drives the windows of a session through random user actions: menu commands, list clicks and
// double clicks, typing into any visible field, picking from lists and dates, editing grid
// cells, pressing any visible button; every question is answered at random. After each action
// that changed a table file it checks that every table still reads and that no employee code
// occurs twice in osnova.dbf. The same seed gives the same session.
struct SessionReport {
    int actions = 0;
    int writes = 0;   // actions after which some table file had changed
    int messages = 0; // messages and errors shown
    int questions = 0;
    std::vector<std::string> failures; // each with the action number and the recent actions
};

SessionReport runRandomSession(Session &session, uint64_t seed, int actions);

} // namespace veltor::test
