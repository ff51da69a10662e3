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

TEST(ProgramFolder, JoiningKeepsASingleSeparatorAlsoAtTheRoot) {
    EXPECT_EQ(JoinPath(QStringLiteral("/"), QStringLiteral(" 3.jpg")), QStringLiteral("/ 3.jpg"));
    EXPECT_EQ(JoinPath(QStringLiteral("/tmp/x//"), QStringLiteral("a")),
              QStringLiteral("/tmp/x/a"));
    EXPECT_EQ(JoinPath(QStringLiteral("/tmp/x"), QStringLiteral("a")), QStringLiteral("/tmp/x/a"));
}

}  // namespace
}  // namespace stylorex
