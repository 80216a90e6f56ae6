// Reading a movie from disk: a regular file whole, anything else refused at once.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/temp_path.h"
#include "swf/format/movie_loader.h"

namespace velmora::swf {
namespace {

// The ParseError's text for reading `path`, or "" when it was read.
std::string refusal(const std::string& path, const ParseLimits& limits = {}) {
    try {
        readMovieFile(path, limits);
        return "";
    } catch (const ParseError& e) {
        return e.what();
    }
}

TEST(MovieFile, AFifoAFolderAndADeviceNamedLikeAMovieAreRefusedAtOnceNamingTheFile) {
    // Nobody ever writes to the FIFO: reading it would wait for ever, and the test's own time-out
    // is what catches that.
    const std::string fifo = test::uniqueTempPath("pipe.swf");
    const std::string folder = test::uniqueTempPath("folder.swf");
    const std::string device = test::uniqueTempPath("zero.swf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::symlink("/dev/zero", device.c_str()), 0);

    EXPECT_EQ(refusal(fifo), fifo + ": is a FIFO (a pipe), not a movie file");
    EXPECT_EQ(refusal(folder), folder + ": is a folder, not a movie file");
    EXPECT_EQ(refusal(device), device + ": is a device, not a movie file");
    EXPECT_THROW(loadMovieFile(fifo), ParseError);

    ::unlink(fifo.c_str());
    ::rmdir(folder.c_str());
    ::unlink(device.c_str());
}

TEST(MovieFile, ARegularFileIsReadWholeUnlessMissingOrTooLarge) {
    const std::string path = test::uniqueTempPath("bytes.swf");
    std::ofstream(path, std::ios::binary) << std::string(3000, 'x');
    EXPECT_EQ(readMovieFile(path).size(), 3000u);

    ParseLimits small;
    small.maxUncompressedBytes = 1000;
    EXPECT_NE(refusal(path, small).find("larger than"), std::string::npos);
    ::unlink(path.c_str());
    EXPECT_EQ(refusal(path), path + ": No such file or directory");
}

}  // namespace
}  // namespace velmora::swf
