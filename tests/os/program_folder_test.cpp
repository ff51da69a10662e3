#include "os/program_folder.h"

#include <QFileInfo>
#include <QTemporaryDir>

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

// /usr/bin takes no settings or patterns even for root, whom its permissions let write there:
// the packaged program keeps them per user. /usr/local is the administrator's, as any other
// folder.
TEST(ProgramFolder, KeepsFilesWhereItCanWriteOutsideThePackagedFolders) {
    QTemporaryDir writable;
    ASSERT_TRUE(writable.isValid());
    EXPECT_TRUE(ProgramFolderKeepsFiles(writable.path()));
    EXPECT_FALSE(ProgramFolderKeepsFiles(QStringLiteral("/usr/bin/")));
    EXPECT_FALSE(ProgramFolderKeepsFiles(QStringLiteral("/usr/share/../lib")));
    EXPECT_EQ(ProgramFolderKeepsFiles(QStringLiteral("/usr/local/bin")),
              FolderAcceptsFiles(QStringLiteral("/usr/local/bin")));
}

}  // namespace
}  // namespace stylorex
