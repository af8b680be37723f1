#include "platform/LibraryNoise.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#if defined(__GLIBC__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace murmex::platform {
namespace {

constexpr const char* kReport = "Expression 'alsa_snd_pcm_poll_descriptors_revents( self->pcm, pfds, self->nfds, "
                                "&revents )' failed in 'src/hostapi/alsa/pa_linux_alsa.c', line: 3665\n";

TEST(LibraryNoise, TellsTheLibrarysReportsFromEverythingElse) {
    EXPECT_TRUE(IsLibraryNoise(kReport));
    EXPECT_TRUE(IsLibraryNoise("Expression 'x' failed in 'pa.c', line: 1\n"));
    // Our own warnings, Qt's and other libraries' lines, and texts that merely quote the words pass.
    EXPECT_FALSE(
        IsLibraryNoise("Murmex: the sound output \"default\" was lost; trying to open it again every second.\n"));
    EXPECT_FALSE(IsLibraryNoise("ALSA lib pcm.c:8570:(snd_pcm_recover) underrun occurred\n"));
    EXPECT_FALSE(IsLibraryNoise("Warning: Expression 'x' failed in 'pa.c', line: 1\n"));
    EXPECT_FALSE(IsLibraryNoise("Expression 'x' failed\n"));
    EXPECT_FALSE(IsLibraryNoise("Expression '"));
    EXPECT_FALSE(IsLibraryNoise(""));
}

#if defined(__GLIBC__)
void PrintTo(std::FILE* stream, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stream, format, args);
    va_end(args);
}

// What the whole process writes to stderr goes to a file for the test's time.
class CapturedStderr {
public:
    CapturedStderr() : m_path(::testing::TempDir() + "murmex_stderr_XXXXXX") {
        std::fflush(stderr);
        const int file = mkstemp(m_path.data());
        m_saved = dup(STDERR_FILENO);
        dup2(file, STDERR_FILENO);
        close(file);
    }
    ~CapturedStderr() {
        Restore();
        unlink(m_path.c_str());
    }
    std::string Text() {
        Restore();
        std::ifstream in(m_path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    void Restore() {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
    }
    std::string m_path;
    int m_saved = -1;
};

TEST(LibraryNoise, TheInstalledFilterDropsOnlyTheReportsAndWritesTheRestAtOnce) {
    FilterLibraryNoise();
    FilterLibraryNoise(); // a second call changes nothing
    CapturedStderr captured;
    std::fputs("before\n", stderr);
    PrintTo(stderr, "Expression '%s' failed in '%s', line: %d\n", "Pa_X( s )", "src/hostapi/alsa/pa_linux_alsa.c",
            4285);
    std::fprintf(stderr, "%s", kReport);
    PrintTo(stderr, "Murmex: the sound output \"%s\" is back.\n", "default");
    // Unbuffered: a partial line is out before the next write, and a long one is not cut.
    std::fputs("partial ", stderr);
    const std::string longLine(20000, 'x');
    std::fprintf(stderr, "%s\n", longLine.c_str());
    EXPECT_EQ(captured.Text(), "before\nMurmex: the sound output \"default\" is back.\npartial " + longLine + "\n");
}
#endif

} // namespace
} // namespace murmex::platform
