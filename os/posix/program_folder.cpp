#include "os/program_folder.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace stylorex {

namespace {

QString executablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return QString::fromStdString(path.string());
}

QString withOneTrailingSeparator(QString folder) {
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

}  // namespace

QString ProgramFolder() {
    const QString exe = executablePath();
    if (exe.isEmpty()) {
        return QStringLiteral("./");
    }
    return withOneTrailingSeparator(QFileInfo(exe).absolutePath());
}

QString ProgramBaseName() {
    const QString exe = executablePath();
    if (exe.isEmpty()) {
        return QStringLiteral("stylorex");
    }
    return QFileInfo(exe).completeBaseName();
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty()) {
        return name;
    }
    return withOneTrailingSeparator(folder) + name;
}

bool FolderAcceptsFiles(const QString& folder) {
    if (!QFileInfo(folder).isDir()) {
        return false;
    }
    QTemporaryFile probe(JoinPath(folder, QStringLiteral(".stylorex-probe-XXXXXX")));
    return probe.open();
}

bool ProgramFolderKeepsFiles(const QString& folder) {
    const QString path = withOneTrailingSeparator(QFileInfo(folder).canonicalFilePath());
    const bool packaged =
        path.startsWith(QStringLiteral("/usr/")) && !path.startsWith(QStringLiteral("/usr/local/"));
    return !packaged && FolderAcceptsFiles(folder);
}

}  // namespace stylorex
