// The text of the failure an action throws, in this process or in a child of its own, for tests
// of what a failure says and of what happens to a process.
#ifndef BRENWICK_TESTS_FAILURE_TEXT_H
#define BRENWICK_TESTS_FAILURE_TEXT_H

#include <functional>
#include <string>

namespace test_failures {

// Runs `action` and returns the text of the std::exception it throws ("" when none).
std::string FailureOf(const std::function<void()>& action);
#if !defined(_WIN32)
// Forks; the child runs `action` and sends the text of the std::exception it throws
// ("" when none) back to the parent, which returns it.
std::string FailureInChild(const std::function<void()>& action);
#endif

}  // namespace test_failures

#endif
