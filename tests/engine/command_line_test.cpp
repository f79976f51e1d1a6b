#include "engine/command_line.h"

#include <gtest/gtest.h>

namespace nura {
namespace {

TEST(CommandLine, SwitchesBeforeAndAfterTheScript) {
  TCommandLine a;
  a.Parse({"-security", "HIGH", "s.nrs", "x", "y"});
  EXPECT_EQ(a.securityLevel, 2);
  EXPECT_EQ(a.scriptName, "s.nrs");
  EXPECT_EQ(a.ScriptArgumentsText(), "s.nrs\r\nx\r\ny");

  TCommandLine b;
  b.Parse({"s.nrs", "-debug", "-security", "low", "-linestop"});
  EXPECT_EQ(b.securityLevel, 0);
  EXPECT_TRUE(b.debug);
  EXPECT_TRUE(b.lineStop);
  EXPECT_EQ(b.scriptIndex, 0);
}

TEST(CommandLine, ValuesOfSwitchesAreNotScriptNames) {
  TCommandLine c;
  c.Parse({"-run", "-resource", "r.dat", "-runtime", "p.exe", "-security", "odd", "main.nrs"});
  EXPECT_TRUE(c.runFirst);
  EXPECT_EQ(c.resourceFile, "r.dat");
  EXPECT_EQ(c.runtimeFile, "p.exe");
  EXPECT_EQ(c.securityLevel, -1);
  EXPECT_EQ(c.scriptName, "main.nrs");

  TCommandLine d;
  d.Parse({"-security"});  // a switch missing its value is ignored
  EXPECT_EQ(d.scriptIndex, -1);
  EXPECT_EQ(d.ScriptArgumentsText(), "");
}

}  // namespace
}  // namespace nura
