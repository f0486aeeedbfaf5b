#include "base/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "base/Exceptions.h"
#include "support/ChildProcess.h"
#include "os/Paths.h"
#include "support/ScopedRoot.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string readAll(TStream& stream) {
    std::string text(static_cast<size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.ReadBuffer(text.data(), stream.Size());
    return text;
}

void writeText(TStream& stream, const std::string& text) {
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

template <class E>
std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

}  // namespace

// Every read-write stream behaves alike for reading, writing and seeking.
TEST(Streams, ReadWriteAndSeekAlikeOnEveryKind) {
    TempDir dir;
    struct Kind {
        const char* name;
        std::function<std::unique_ptr<TStream>()> make;
    } kinds[] = {
        {"memory", [] { return std::make_unique<TMemoryStream>(); }},
        {"string", [] { return std::make_unique<TStringStream>(); }},
        {"file", [&] { return std::make_unique<TFileStream>(dir.file("s.bin"), fmCreate); }},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        std::unique_ptr<TStream> stream = kind.make();
        writeText(*stream, std::string("hello\0world", 11));
        EXPECT_EQ(stream->Position(), 11);
        EXPECT_EQ(stream->Size(), 11);

        EXPECT_EQ(stream->Seek(-5, soFromEnd), 6);
        char tail[16] = {};
        EXPECT_EQ(stream->Read(tail, sizeof tail), 5);
        EXPECT_EQ(std::string(tail), "world");
        EXPECT_EQ(stream->Read(tail, 1), 0);

        // Writing in the middle overwrites and keeps what follows.
        stream->Seek(1, soFromBeginning);
        stream->Seek(1, soFromCurrent);
        writeText(*stream, "LL");
        EXPECT_EQ(readAll(*stream), std::string("heLLo\0world", 11));

        stream->SetPosition(8);
        char three[3];
        EXPECT_EQ(messageOf<EReadError>([&] { stream->ReadBuffer(three, 4); }), "Stream read error");

        stream->SetSize(5);
        EXPECT_EQ(stream->Size(), 5);
        EXPECT_EQ(readAll(*stream), "heLLo");
    }
}

TEST(Streams, CopyFromTakesACountOrTheWholeSource) {
    TStringStream source("0123456789");
    TMemoryStream target;

    source.SetPosition(7);
    EXPECT_EQ(target.CopyFrom(&source, 0), 10);  // 0: all of it, from the start
    EXPECT_EQ(readAll(target), "0123456789");

    target.Clear();
    source.SetPosition(2);
    EXPECT_EQ(target.CopyFrom(&source, 3), 3);
    EXPECT_EQ(readAll(target), "234");
    EXPECT_EQ(source.Position(), 5);

    EXPECT_EQ(messageOf<EReadError>([&] { target.CopyFrom(&source, 6); }), "Stream read error");

    // Larger than one copy chunk.
    std::string big(200000, 'x');
    big[123456] = 'y';
    TStringStream bigSource(big);
    TMemoryStream bigTarget;
    EXPECT_EQ(bigTarget.CopyFrom(&bigSource, 0), 200000);
    EXPECT_EQ(std::string(bigTarget.Memory(), 200000), big);
}

TEST(TFileStream, NamesGoThroughThePathMapping) {
    ScopedRoot scopedRoot;
    std::string temp = os::TempFolder();
    writeFile(temp + "/Data.Bin", "abc");
    {
        TFileStream stream("C:\\TEMP\\DATA.BIN", fmOpenReadWrite);
        stream.Seek(0, soFromEnd);
        writeText(stream, "def");
    }
    EXPECT_EQ(readFile(temp + "/Data.Bin"), "abcdef");
    {
        TFileStream created("c:\\temp\\data.bin", fmCreate);  // an existing file is truncated
        EXPECT_EQ(created.Size(), 0);
    }
    EXPECT_EQ(fs::file_size(temp + "/Data.Bin"), 0u);
}

TEST(TFileStream, FailuresRaiseWithTheFileName) {
    TempDir dir;
    writeFile(dir.file("plain"), "x");
    struct Case {
        std::string name;
        uint16_t mode;
        std::string message;
    } cases[] = {
        {dir.file("missing.dat"), fmOpenRead, "Cannot open file " + dir.file("missing.dat")},
        {dir.file("nofolder/new.dat"), fmCreate, "Cannot create file " + dir.file("nofolder/new.dat")},
        {dir.file("plain/below.dat"), fmCreate, "Cannot create file " + dir.file("plain/below.dat")},
        {dir.path(), fmOpenRead, "Cannot open file " + dir.path()},
        {dir.path(), fmCreate, "Cannot create file " + dir.path()},
        {"", fmOpenRead, "Cannot open file "},
    };
    for (const Case& c : cases) {
        std::string message = messageOf<EStreamError>([&] { TFileStream stream(c.name, c.mode); });
        EXPECT_EQ(message, c.message) << c.name;
    }
    EXPECT_THROW(TFileStream(dir.file("missing.dat"), fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(dir.file("plain/below.dat"), fmCreate), EFCreateError);

    TFileStream readOnly(dir.file("plain"), fmOpenRead);
    EXPECT_EQ(messageOf<EWriteError>([&] { writeText(readOnly, "y"); }), "Stream write error");
}

TEST(TFileStream, ShareModesRefuseClashingOpens) {
    TempDir dir;
    const std::string path = dir.file("shared.dat");
    const uint16_t read = fmOpenRead, write = fmOpenWrite, readWrite = fmOpenReadWrite;
    struct Case {
        uint16_t first;
        uint16_t second;
        bool allowed;
    } cases[] = {
        {read | fmShareCompat, read | fmShareDenyNone, false},
        {read | fmShareExclusive, read | fmShareDenyNone, false},
        {read | fmShareDenyNone, read | fmShareExclusive, false},
        {read | fmShareDenyWrite, read | fmShareDenyWrite, true},
        {read | fmShareDenyWrite, readWrite | fmShareDenyNone, false},
        {readWrite | fmShareDenyNone, read | fmShareDenyWrite, false},
        {readWrite | fmShareDenyNone, readWrite | fmShareDenyNone, true},
        {write | fmShareDenyRead, read | fmShareDenyNone, false},
        {write | fmShareDenyRead, write | fmShareDenyNone, true},
        {read | fmShareDenyNone, write | fmShareDenyRead, false},
        {fmCreate, read | fmShareDenyNone, false},
        {fmCreate | fmShareDenyWrite, read | fmShareDenyNone, true},
        {read | fmShareDenyNone, fmCreate, false},
    };
    for (const Case& c : cases) {
        writeFile(path, "keep");
        std::string label = std::to_string(c.first) + " then " + std::to_string(c.second);
        {
            TFileStream first(path, c.first);
            bool opened = true;
            try {
                TFileStream second(path, c.second);
            } catch (const EStreamError&) {
                opened = false;
            }
            EXPECT_EQ(opened, c.allowed) << label;
        }
        // The refusal leaves no trace: the second opens once the first is gone.
        EXPECT_NO_THROW(TFileStream(path, c.second)) << label;
    }
}

TEST(TFileStream, ARefusedCreateKeepsTheOtherOpenersData) {
    TempDir dir;
    const std::string path = dir.file("report.tmp");
    writeFile(path, "recorded pages");
    TFileStream reader(path, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(messageOf<EFCreateError>([&] { TFileStream(path, fmCreate); }), "Cannot create file " + path);
    EXPECT_EQ(readAll(reader), "recorded pages");
}

TEST(TFileStream, ShareModesHoldBetweenProcesses) {
    TempDir dir;
    const std::string path = dir.file("company.dat");
    writeFile(path, "x");
    ChildProcess child([&](ChildProcess& self) {
        TFileStream stream(path, fmOpenReadWrite | fmShareExclusive);
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(child.Started());
    ASSERT_TRUE(child.Receive());
    EXPECT_THROW(TFileStream(path, fmOpenRead | fmShareDenyNone), EFOpenError);
    child.Send();
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_NO_THROW(TFileStream(path, fmOpenRead | fmShareDenyNone));
}

TEST(TMemoryStream, FilesAndStreamsRoundTrip) {
    TempDir dir;
    const std::string bytes("\x00\x01\xff\x1a text\r\n", 10);
    writeFile(dir.file("In.bin"), bytes);

    TMemoryStream memory;
    memory.LoadFromFile(dir.path() + "\\IN.BIN");
    EXPECT_EQ(memory.Size(), 10);
    EXPECT_EQ(std::string(memory.Memory(), 10), bytes);

    memory.SaveToFile(dir.file("Out.bin"));
    EXPECT_EQ(readFile(dir.file("Out.bin")), bytes);

    // SaveToStream writes at the target's position; LoadFromStream reads the whole source.
    TStringStream target("ab");
    target.Seek(0, soFromEnd);
    memory.SaveToStream(&target);
    EXPECT_EQ(target.DataString(), "ab" + bytes);
    memory.LoadFromStream(&target);
    EXPECT_EQ(std::string(memory.Memory(), 12), "ab" + bytes);

    memory.Clear();
    EXPECT_EQ(memory.Size(), 0);
    EXPECT_EQ(memory.Position(), 0);
    EXPECT_THROW(memory.LoadFromFile(dir.file("missing.bin")), EFOpenError);
}

TEST(TMemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
    TMemoryStream memory;
    memory.Seek(4, soFromBeginning);
    writeText(memory, "Z");
    EXPECT_EQ(std::string(memory.Memory(), 5), std::string("\0\0\0\0Z", 5));
    memory.SetPosition(5);
    memory.SetSize(2);
    EXPECT_EQ(memory.Position(), 2);
}

TEST(TStringStream, ReadsAndWritesStrings) {
    TStringStream stream("Quenmark");
    EXPECT_EQ(stream.ReadString(4), "Quen");
    EXPECT_EQ(stream.ReadString(100), "mark");
    EXPECT_EQ(stream.ReadString(1), "");
    stream.WriteString(" 2003");
    EXPECT_EQ(stream.DataString(), "Quenmark 2003");
    // The position stays inside the string.
    EXPECT_EQ(stream.Seek(50, soFromBeginning), 13);
    EXPECT_EQ(stream.Seek(-50, soFromCurrent), 0);
    stream.WriteString("K");
    EXPECT_EQ(stream.DataString(), "Kuenmark 2003");
}
