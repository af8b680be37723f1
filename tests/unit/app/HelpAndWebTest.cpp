// Where the help file is found, and which file and page each language opens.
#include "app/HelpAndWeb.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

namespace murmex {
namespace {

void Put(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("help\n");
}

TEST(HelpAndWebTest, TheFirstFolderThatHoldsTheFileWins) {
    QTemporaryDir working, program, data;
    ASSERT_TRUE(working.isValid() && program.isValid() && data.isValid());
    const QStringList folders{working.path(), program.path(), data.path()};
    const QString name = QStringLiteral("Help_e.txt");

    EXPECT_EQ(FindHelpFile(name, folders), std::nullopt) << "no folder has it";

    Put(data.filePath(name));
    EXPECT_EQ(FindHelpFile(name, folders), QDir(data.path()).absoluteFilePath(name));
    Put(program.filePath(name));
    EXPECT_EQ(FindHelpFile(name, folders), QDir(program.path()).absoluteFilePath(name));
    Put(working.filePath(name));
    EXPECT_EQ(FindHelpFile(name, folders), QDir(working.path()).absoluteFilePath(name));

    EXPECT_EQ(FindHelpFile(QStringLiteral("Help_r.txt"), folders), std::nullopt) << "only the name asked for";
}

TEST(HelpAndWebTest, AFolderOfThatNameOrAnEmptyEntryIsPassedOver) {
    QTemporaryDir first, second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    const QString name = QStringLiteral("Help_r.txt");
    ASSERT_TRUE(QDir(first.path()).mkdir(name));
    Put(second.filePath(name));
    EXPECT_EQ(FindHelpFile(name, {QString(), first.path(), second.path()}), QDir(second.path()).absoluteFilePath(name));
}

// Anybody may leave a file in the working folder: a link there is passed over (see UserFilesTest for the rest).
TEST(HelpAndWebTest, TheWorkingFolderCountsOnlyARegularFileOfTheUsersOwn) {
    QTemporaryDir working, program;
    ASSERT_TRUE(working.isValid() && program.isValid());
    const QString name = QStringLiteral("Help_e.txt");
    Put(program.filePath(name));
    ASSERT_TRUE(QFile::link(program.filePath(name), working.filePath(name)));
    EXPECT_EQ(FindHelpFile(name, {working.path(), program.path()}), QDir(program.path()).absoluteFilePath(name));
}

// A relative folder is taken from the working folder, and the answer is absolute all the same, so that the
// desktop finds the file whatever folder it runs in.
TEST(HelpAndWebTest, TheFoundPathIsAbsolute) {
    QTemporaryDir top;
    ASSERT_TRUE(top.isValid());
    ASSERT_TRUE(QDir(top.path()).mkdir(QStringLiteral("share")));
    Put(top.filePath(QStringLiteral("share/Help_e.txt")));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(top.path()));
    const std::optional<QString> found = FindHelpFile(QStringLiteral("Help_e.txt"), {QStringLiteral("share")});
    QDir::setCurrent(before);
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(QDir::isAbsolutePath(*found)) << found->toStdString();
    EXPECT_TRUE(QFile::exists(*found));
}

TEST(HelpAndWebTest, EachLanguageHasItsFileAndPageAndOthersNone) {
    EXPECT_EQ(HelpFileName(0), QStringLiteral("Help_e.txt"));
    EXPECT_EQ(HelpFileName(1), QStringLiteral("Help_r.txt"));
    EXPECT_EQ(WebPage(0), QUrl(QStringLiteral("https://murmex.pellorquandrel.com/index_e.html")));
    EXPECT_EQ(WebPage(1), QUrl(QStringLiteral("https://murmex.pellorquandrel.com/index.html")));
    for (const std::int32_t other : {2, -1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(HelpFileName(other), std::nullopt) << other;
        EXPECT_EQ(WebPage(other), std::nullopt) << other;
    }
}

} // namespace
} // namespace murmex
