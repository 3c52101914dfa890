// The desktop launcher starts the program with the file as its one argument,
// whatever blanks, quotes, dollars or backslashes the two paths hold. The
// started program reports its argument through a FIFO, so the test waits on
// the program itself.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "../fileops/QelTreeFixture.h"
#include "IQelProgramLauncher.h"

TEST(DesktopProgramLauncher, HandsTheFileOverAsOneArgument) {
    QelTestDir dir;
    const std::string program = dir / "my viewer $HOME \"q\"", fifo = dir / "argument";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WriteBytes(program, "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$#\" > '" + fifo + "'\n");
    ASSERT_EQ(::chmod(program.c_str(), 0700), 0);

    for (const std::string& file : {dir / "2024-01-01_00-00-00_Result.txt", dir / "a \"b\" $c `d` \\e.txt"}) {
        ASSERT_TRUE(qel::DesktopProgramLauncher().Open(Q(program), Q(file)));
        std::ifstream in(fifo);  // opens once the program does
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), file + "|1");
    }
}
