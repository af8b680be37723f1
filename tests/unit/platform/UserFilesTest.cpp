#include "platform/UserFiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace murmex::platform {
namespace {

QByteArray Local(const QString& path) {
    return QFile::encodeName(path);
}

TEST(Ownership, OnlyARegularFileOfTheUsersOwnIsOwn) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("file"));
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_TRUE(IsOwnRegularFile(file));

    const QString link = folder.filePath(QStringLiteral("link"));
    const QString fifo = folder.filePath(QStringLiteral("fifo"));
    ASSERT_TRUE(QFile::link(file, link));
    ASSERT_EQ(mkfifo(Local(fifo).constData(), 0600), 0);
    EXPECT_FALSE(IsOwnRegularFile(link));
    EXPECT_FALSE(IsOwnRegularFile(fifo));
    EXPECT_FALSE(IsOwnRegularFile(folder.path()));
    EXPECT_FALSE(IsOwnRegularFile(folder.filePath(QStringLiteral("missing"))));
    if (geteuid() == 0) { // only root can give a file away
        ASSERT_EQ(chown(Local(file).constData(), 65534, 65534), 0);
        EXPECT_FALSE(IsOwnRegularFile(file));
    }
}

TEST(Ownership, APrivateFolderIsOneOfTheUsersOwnThatNobodyElseMayEnter) {
    QTemporaryDir top; // made with mode 0700
    ASSERT_TRUE(top.isValid());
    EXPECT_TRUE(IsPrivateFolder(top.path()));
    const QString link = top.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(top.path(), link));
    EXPECT_FALSE(IsPrivateFolder(link));

    const QString made = top.filePath(QStringLiteral("a/b"));
    EXPECT_TRUE(MakePrivateFolder(made));
    EXPECT_TRUE(IsPrivateFolder(made));
    ASSERT_EQ(chmod(Local(made).constData(), 0755), 0);
    EXPECT_FALSE(IsPrivateFolder(made));
    EXPECT_FALSE(MakePrivateFolder(made)) << "a folder others may enter is not made private behind their back";
}

} // namespace
} // namespace murmex::platform
