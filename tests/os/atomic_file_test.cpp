#include "os/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

namespace stylorex {
namespace {

namespace fs = std::filesystem;

// A writer killed between writing its temporary file and the rename.
class DiesBeforeRename : public AtomicFileWriter {
  protected:
    bool rename(const fs::path&, const fs::path&) const override { ::_exit(0); }
};

// The temporary files in `folder`: every name but `kept`.
QStringList leftovers(const QTemporaryDir& folder, const QStringList& kept) {
    QStringList names = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : kept) {
        names.removeAll(name);
    }
    return names;
}

void makeOld(const QString& path) {
    fs::last_write_time(QFile::encodeName(path).toStdString(),
                        fs::file_time_type::clock::now() - std::chrono::minutes(2));
}

TEST(StaleTemporaryFiles, WhatAKilledReplaceLeftIsRemovedOnceOlderThanAMinute) {
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("stylorex.ini"));
    const QString other = folder.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(SystemFileWriter().replace(target, "[Other]\r\n", SymbolicLinks::Follow));
    // Leftovers of both files, as the writer names them.
    for (const QString& path : {target, target, other}) {
        const pid_t child = ::fork();
        if (child == 0) {
            DiesBeforeRename().replace(path, "half", SymbolicLinks::Follow);
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const QStringList files = {QStringLiteral("stylorex.ini")};
    QStringList left = leftovers(folder, files);
    ASSERT_EQ(left.size(), 3) << left.join(QLatin1Char(' ')).toStdString();
    // A name like ours that the writer never makes.
    QFile lookalike(folder.filePath(QStringLiteral(".stylorex.ini.bak")));
    ASSERT_TRUE(lookalike.open(QIODevice::WriteOnly));
    lookalike.close();

    // Young leftovers may belong to a save in progress elsewhere.
    RemoveStaleTemporaryFiles({target}, SymbolicLinks::Follow);
    EXPECT_EQ(leftovers(folder, files).size(), 4);

    // One leftover of the settings file stays young; everything else is made old.
    QString young;
    QString stale;
    for (const QString& name : leftovers(folder, files)) {
        if (name.startsWith(QStringLiteral(".stylorex.ini.")) && name.size() == 20 &&
            young.isEmpty()) {
            young = name;
            continue;
        }
        if (name.startsWith(QStringLiteral(".stylorex.ini.")) && name.size() == 20) {
            stale = name;
        }
        makeOld(folder.filePath(name));
    }
    ASSERT_FALSE(stale.isEmpty());
    RemoveStaleTemporaryFiles({target}, SymbolicLinks::Follow);
    left = leftovers(folder, files);
    EXPECT_FALSE(left.contains(stale));
    EXPECT_TRUE(left.contains(young));
    EXPECT_TRUE(left.contains(QStringLiteral(".stylorex.ini.bak")));
    EXPECT_EQ(left.filter(QStringLiteral(".notes.txt.")).size(), 1) << "not the file asked for";
    EXPECT_EQ(left.size(), 3);
}

}  // namespace
}  // namespace stylorex
