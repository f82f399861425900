#include <gtest/gtest.h>

#include "app/SelfDelete.h"

namespace {

const std::string kExe = "C:\\ProgramData\\Vexo\\GameLogin\\VexoQuon.exe";
const std::string kBat = "C:\\Temp\\Del1A2B.tmp.bat";

TEST(SelfDelete, WithOtherFilesOnlyTheExecutableAndTheScriptGo) {
    EXPECT_EQ(SelfDeleteScript(kExe, kBat, 2),
              "cd\\\r\n:delexe\r\nping -n 1 127.0.0.1\r\n"
              "del \"" + kExe + "\"\r\n"
              "if exist \"" + kExe + "\" goto :delexe\r\n"
              "del \"" + kBat + "\"\r\n");
}

TEST(SelfDelete, AloneTheEmptiedFolderGoesTooButNeverItsContents) {
    std::string script = SelfDeleteScript(kExe, kBat, 1);
    EXPECT_NE(script.find("rd \"C:\\ProgramData\\Vexo\\GameLogin\"\r\n"), std::string::npos);
    EXPECT_EQ(script.find("/Q"), std::string::npos) << "a shared folder's files are never deleted";
    EXPECT_LT(script.find("if exist"), script.find("rd \""));
    EXPECT_EQ(script.substr(script.size() - kBat.size() - 8), "del \"" + kBat + "\"\r\n");
    EXPECT_EQ(SelfDeleteScript(kExe, kBat, 0), script);
}

TEST(SelfDelete, TooLongScriptsAreNotWritten) {
    std::string longExe = "C:\\" + std::string(700, 'x') + "\\a.exe";
    EXPECT_TRUE(SelfDeleteScript(longExe, kBat, 1).empty());
    EXPECT_EQ(FolderOf("C:\\a\\b.exe"), "C:\\a");
    EXPECT_EQ(FolderOf("b.exe"), "");
}

}  // namespace
