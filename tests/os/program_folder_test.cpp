#include "os/program_folder.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace stylorex {
namespace {

TEST(ProgramFolder, IsTheExecutablesFolderWithOneTrailingSeparator) {
    const QString folder = ProgramFolder();
    ASSERT_TRUE(folder.endsWith(QLatin1Char('/')));
    EXPECT_FALSE(folder.endsWith(QStringLiteral("//")));
    EXPECT_TRUE(QFileInfo::exists(folder + ProgramBaseName()));
}

TEST(ProgramFolder, RootFolderKeepsASingleSeparator) {
    OverrideProgramFolderForTests(QStringLiteral("/"));
    EXPECT_EQ(ProgramFolder(), QStringLiteral("/"));
    EXPECT_EQ(JoinPath(ProgramFolder(), QStringLiteral(" 3.jpg")), QStringLiteral("/ 3.jpg"));
    OverrideProgramFolderForTests(QStringLiteral("/tmp/x//"));
    EXPECT_EQ(ProgramFolder(), QStringLiteral("/tmp/x/"));
    OverrideProgramFolderForTests(QString());
}

}  // namespace
}  // namespace stylorex
