// A random session on the demo database. In the test run a fixed seed and a short session;
// VELTOR_SEED and VELTOR_ACTIONS choose another (see README.md for the long run).
#include <cstdlib>
#include <iostream>

#include <gtest/gtest.h>

#include "RandomSession.h"
#include "Session.h"

namespace veltor::test {
namespace {

uint64_t fromEnvironment(const char *name, uint64_t fallback)
{
    const char *value = std::getenv(name);
    return value && *value ? std::strtoull(value, nullptr, 10) : fallback;
}

TEST(RandomSession, TablesStayReadableAndCodesUnique)
{
    const uint64_t seed = fromEnvironment("VELTOR_SEED", 20240301);
    const int actions = static_cast<int>(fromEnvironment("VELTOR_ACTIONS", 600));
    Session s;
    s.start();
    const SessionReport r = runRandomSession(s, seed, actions);
    std::cout << "seed " << seed << ": " << r.actions << " actions, " << r.writes << " with a table written, "
              << r.messages << " messages, " << r.questions << " questions\n";
    for (const std::string &f : r.failures)
        ADD_FAILURE() << "seed " << seed << " " << f;
    EXPECT_EQ(r.actions, actions);
}

} // namespace
} // namespace veltor::test
