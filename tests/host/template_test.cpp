#include <gtest/gtest.h>

#include "templates/template.h"
#include "tests/oracle/oracle.h"
#include "worked_examples.h"

namespace tessivar {
namespace {

TEST(Templates, BuiltinsMatchTheOracleOnWorkedExamples) {
    EXPECT_EQ(describe_map(examples::map()).full_lines, oracle::describe_map(examples::map()).full_lines);
}

}  // namespace
}  // namespace tessivar
