#include "app/HelpAndWeb.h"

#include "platform/UserFiles.h"

#include <QDir>
#include <QFileInfo>

namespace murmex {

std::optional<QString> HelpFileName(std::int32_t langNum) {
    switch (langNum) {
    case 0:
        return QStringLiteral("Help_e.txt");
    case 1:
        return QStringLiteral("Help_r.txt");
    default:
        return std::nullopt;
    }
}

std::optional<QUrl> WebPage(std::int32_t langNum) {
    const QUrl site(QString::fromLatin1(kWebSite));
    switch (langNum) {
    case 0:
        return site.resolved(QUrl(QStringLiteral("index_e.html")));
    case 1:
        return site.resolved(QUrl(QStringLiteral("index.html")));
    default:
        return std::nullopt;
    }
}

std::optional<QString> FindHelpFile(const QString& name, const QStringList& folders) {
    for (qsizetype i = 0; i < folders.size(); ++i) {
        if (folders[i].isEmpty())
            continue;
        const QFileInfo file(QDir(folders[i]), name);
        if (i == 0 ? platform::IsOwnRegularFile(file.absoluteFilePath()) : file.isFile())
            return file.absoluteFilePath();
    }
    return std::nullopt;
}

} // namespace murmex
