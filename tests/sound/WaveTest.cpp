// SPDX-License-Identifier: GPL-3.0-or-later
// Reading RIFF WAVE containers into TWave, and the wave stream over sample bytes.

#include "sound/Wave.h"
#include "SoundTestSupport.h"

#include <gtest/gtest.h>

using namespace soundtest;

namespace {

std::string LoadMessage(const std::vector<uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TWave wave;
    try {
        wave.LoadFromStream(stream);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

std::vector<uint8_t> FormatBody() {
    return Format(1, 1, 8000, 16);
}

std::vector<uint8_t> DataBody(size_t n) {
    std::vector<uint8_t> d(n);
    for (size_t i = 0; i < n; ++i)
        d[i] = static_cast<uint8_t>(i * 7 + 1);
    return d;
}

} // namespace

TEST(Wave, EmptyStreamAndBareContainerGiveAnEmptyWave) {
    for (const auto& bytes : {std::vector<uint8_t>{}, Riff({})}) {
        TMemoryStream stream(bytes);
        TWave wave;
        wave.LoadFromStream(stream);
        EXPECT_EQ(wave.FormatBytes(), 0);
        EXPECT_EQ(wave.FormatBlock(), nullptr);
        EXPECT_EQ(wave.SampleBytes(), 0);
        EXPECT_EQ(wave.SampleData(), nullptr);
    }
}

TEST(Wave, ChunksInEitherOrderAndForeignChunksGiveTheSameWave) {
    const auto fmt = MakeChunk("fmt ", FormatBody());
    const auto data = MakeChunk("data", DataBody(10));
    const auto list = MakeChunk("LIST", DataBody(5)); // odd length: no pad byte follows
    for (const auto& bytes :
         {Riff({fmt, data}), Riff({data, fmt}), Riff({list, fmt, data, list})}) {
        TMemoryStream stream(bytes);
        TWave wave;
        wave.LoadFromStream(stream);
        ASSERT_EQ(wave.FormatBytes(), 16);
        EXPECT_EQ(std::vector<uint8_t>(wave.FormatBlock(), wave.FormatBlock() + 16), FormatBody());
        ASSERT_EQ(wave.SampleBytes(), 10);
        EXPECT_EQ(std::vector<uint8_t>(wave.SampleData(), wave.SampleData() + 10), DataBody(10));
    }
}

TEST(Wave, LaterChunksReplaceEarlierOnesAndTheWalkGoesPastTheStatedEnd) {
    auto bytes = Riff({MakeChunk("data", DataBody(4)), MakeChunk("fmt ", FormatBody())});
    // The container's stated length ends here; chunks after it are read all the same.
    bytes[4] = 4;
    bytes[5] = bytes[6] = bytes[7] = 0;
    const auto second = MakeChunk("data", DataBody(6));
    bytes.insert(bytes.end(), second.begin(), second.end());
    TMemoryStream stream(bytes);
    TWave wave;
    wave.LoadFromStream(stream);
    EXPECT_EQ(wave.SampleBytes(), 6);
    EXPECT_EQ(wave.FormatBytes(), 16);
}

TEST(Wave, AContainerIsReadFromTheStreamsPosition) {
    std::vector<uint8_t> bytes = {'j', 'u', 'n', 'k', '!'};
    const auto wav = Riff({MakeChunk("fmt ", FormatBody()), MakeChunk("data", DataBody(3))});
    bytes.insert(bytes.end(), wav.begin(), wav.end());
    TMemoryStream stream(bytes);
    stream.SetPosition(5);
    TWave wave;
    wave.LoadFromStream(stream);
    EXPECT_EQ(wave.SampleBytes(), 3);
    EXPECT_EQ(wave.SampleData()[2], DataBody(3)[2]);
}

TEST(Wave, WrongIdsAndShortOrOverlongChunksAreRefused) {
    auto rifx = Riff({MakeChunk("fmt ", FormatBody())});
    rifx[3] = 'X';
    auto wavx = Riff({MakeChunk("fmt ", FormatBody())});
    wavx[11] = 'X';
    EXPECT_EQ(LoadMessage(rifx), "Wave is invalid");
    EXPECT_EQ(LoadMessage(wavx), "Wave is invalid");
    EXPECT_EQ(LoadMessage({'R', 'I', 'F', 'F', 0}), "Stream read error");

    // A "data" chunk that states 1000 bytes of which 900 are present.
    auto shortData = Riff({MakeChunk("fmt ", FormatBody()), MakeChunk("data", DataBody(1000))});
    shortData.resize(shortData.size() - 100);
    EXPECT_EQ(LoadMessage(shortData), "Stream read error");

    auto shortFmt = Riff({MakeChunk("fmt ", FormatBody())});
    shortFmt.resize(shortFmt.size() - 1);
    EXPECT_EQ(LoadMessage(shortFmt), "Stream read error");
    EXPECT_EQ(LoadMessage(Riff({MakeChunk("fmt ", std::vector<uint8_t>(14))})), "Wave is invalid");
}

TEST(Wave, LengthsOfTwoGigabytesOrMoreAreRefusedWithoutLoopingOrAllocating) {
    for (const char* id : {"data", "fmt ", "JUNK"}) {
        std::vector<uint8_t> chunk(id, id + 4);
        Put32(chunk, 0xFFFFFFF8u); // -8 as a signed length would re-read the same header
        EXPECT_EQ(LoadMessage(Riff({chunk})), "Wave is invalid") << id;
    }
    std::vector<uint8_t> huge = {'d', 'a', 't', 'a'};
    Put32(huge, 0x7FFFFFFFu);
    EXPECT_EQ(LoadMessage(Riff({huge})), "Stream read error");
}

TEST(Wave, SkippingPastTheEndEndsTheWalk) {
    std::vector<uint8_t> junk = {'J', 'U', 'N', 'K'};
    Put32(junk, 1000);
    TMemoryStream stream(Riff({MakeChunk("fmt ", FormatBody()), junk}));
    TWave wave;
    wave.LoadFromStream(stream);
    EXPECT_EQ(wave.FormatBytes(), 16);
    EXPECT_EQ(wave.SampleBytes(), 0);
}

TEST(Wave, SampleMemoryGrowsAndShrinksInBlocksOf8096Bytes) {
    TWave wave;
    wave.SetSampleBytes(8096);
    EXPECT_EQ(wave.SampleCapacity(), 8096);
    wave.SetSampleBytes(8097);
    EXPECT_EQ(wave.SampleCapacity(), 16192);
    wave.SampleData()[100] = 42;
    wave.SetSampleBytes(8096);
    EXPECT_EQ(wave.SampleCapacity(), 8096);
    EXPECT_EQ(wave.SampleData()[100], 42); // content kept across the reallocation

    wave.SetSampleBytes(8000);
    const uint8_t* before = wave.SampleData();
    wave.SetSampleBytes(100);
    EXPECT_EQ(wave.SampleData(), before);
    EXPECT_EQ(wave.SampleCapacity(), 8096);
    wave.SetSampleBytes(-5);
    EXPECT_EQ(wave.SampleBytes(), 0);
    EXPECT_EQ(wave.SampleData(), nullptr);
    wave.SetFormatBytes(18);
    EXPECT_EQ(wave.FormatBytes(), 18);
    wave.SetFormatBytes(0);
    EXPECT_EQ(wave.FormatBlock(), nullptr);
}

TEST(WaveStream, ReadsAndSeeksWithinTheSampleBytes) {
    TMemoryStream source(Riff({MakeChunk("fmt ", FormatBody()), MakeChunk("data", DataBody(20)),
                               MakeChunk("LIST", DataBody(8))}));
    TWaveStream wave(source);
    uint8_t buf[64];
    EXPECT_THROW(
        {
            try {
                wave.ReadSamples(buf, 1);
            } catch (const EWaveStreamError& e) {
                EXPECT_EQ(e.Message(), "Stream not opend");
                throw;
            }
        },
        EWaveStreamError);
    EXPECT_EQ(wave.WaveSize(), 0);
    wave.Open(false);
    EXPECT_EQ(wave.WaveSize(), 20);
    EXPECT_EQ(wave.Seek(15, TSeekOrigin::soBeginning), 15);
    // The read stops at the end of the samples, not at the chunk that follows.
    EXPECT_EQ(wave.Read(buf, 64), 5);
    EXPECT_EQ(buf[0], DataBody(20)[15]);
    EXPECT_EQ(wave.Read(buf, 64), 0);
    EXPECT_EQ(wave.Seek(-100, TSeekOrigin::soCurrent), 0);
    EXPECT_EQ(wave.Seek(100, TSeekOrigin::soCurrent), 20);
    EXPECT_EQ(wave.Seek(-4, TSeekOrigin::soEnd), 16);
    try {
        wave.Open(false);
        ADD_FAILURE() << "opened twice";
    } catch (const EWaveStreamError& e) {
        EXPECT_EQ(e.Message(), "Stream has already been opened");
    }
}
