// OBEX packets, headers, the packet reader and the folder-listing reader, byte for byte, with
// hand-made packets including cut-off and oversized ones.
#include "CObexPacket.h"
#include "CObexReader.h"
#include "ObexListing.h"
#include "ObexProtocol.h"
#include "PhoneErrors.h"

#include <gtest/gtest.h>

#include <tuple>

namespace corvina {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Uuid()
{
    return {obex::kFolderBrowsingUuid.begin(), obex::kFolderBrowsingUuid.end()};
}

// The fields of a listing entry, to compare whole entries.
auto Fields(const obex::SListingEntry& entry)
{
    return std::tuple(entry.name, entry.folder, entry.size, entry.readOnly, entry.modified, entry.toneNumber);
}

TEST(ObexPacket, AConnectRequestIsBuiltByteForByte)
{
    CObexPacket connect(obex::kOpConnect);
    connect.Fields() = {0x10, 0x00, 0x20, 0x00};
    connect.AddBytes(obex::kHdrTarget, Uuid());
    Bytes expected = {0x80, 0x00, 0x1A, 0x10, 0x00, 0x20, 0x00, 0x46, 0x00, 0x13};
    expected.insert(expected.end(), obex::kFolderBrowsingUuid.begin(), obex::kFolderBrowsingUuid.end());
    EXPECT_EQ(connect.Build(), expected);
    EXPECT_EQ(connect.BuiltSize(), expected.size());
}

TEST(ObexPacket, HeadersOfEveryEncodingAreWrittenAndReadBack)
{
    CObexPacket put(obex::kOpPut | obex::kFinal);
    put.AddNumber(obex::kHdrConnectionId, 0x01020304);
    put.AddText(obex::kHdrName, "a\xE2\x82\xAC\xF0\x9F\x8E\xB5"); // "a€🎵": one BMP character beyond ASCII, one pair
    put.AddNumber(obex::kHdrActionId, 2);
    put.AddBytes(obex::kHdrEndOfBody, {0xDE, 0xAD});
    const Bytes expected = {0x82, 0x00, 0x1C,                         // PUT final, 28 bytes
                            0xCB, 0x01, 0x02, 0x03, 0x04,             // Connection Id
                            0x01, 0x00, 0x0D, 0x00, 0x61, 0x20, 0xAC, // Name: a €
                            0xD8, 0x3C, 0xDF, 0xB5, 0x00, 0x00,       //   surrogate pair, zero
                            0x94, 0x02,                               // Action Id
                            0x49, 0x00, 0x05, 0xDE, 0xAD};            // End-of-Body
    ASSERT_EQ(put.Build(), expected);
    EXPECT_EQ(put.BuiltSize(), expected.size());

    auto parsed = CObexPacket::Parse(expected, 0);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Code(), 0x82);
    ASSERT_EQ(parsed->Headers().size(), 4u);
    EXPECT_EQ(parsed->Find(obex::kHdrConnectionId)->value, 0x01020304u);
    EXPECT_EQ(parsed->Find(obex::kHdrName)->text, "a\xE2\x82\xAC\xF0\x9F\x8E\xB5");
    EXPECT_EQ(parsed->Find(obex::kHdrActionId)->value, 2u);
    EXPECT_EQ(parsed->Find(obex::kHdrEndOfBody)->bytes, (Bytes{0xDE, 0xAD}));

    // An empty Name is the bare header: SETPATH to the root.
    CObexPacket root(obex::kOpSetPath);
    root.Fields() = {0x02, 0x00};
    root.AddText(obex::kHdrName, "");
    EXPECT_EQ(root.Build(), (Bytes{0x85, 0x00, 0x08, 0x02, 0x00, 0x01, 0x00, 0x03}));
    auto back = CObexPacket::Parse(*root.Build(), 2);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Fields(), (Bytes{0x02, 0x00}));
    EXPECT_EQ(back->Find(obex::kHdrName)->text, "");
}

TEST(ObexPacket, AConnectResponseGivesItsPacketSizeAndConnectionId)
{
    Bytes response = {0xA0, 0x00, 0x1F, 0x10, 0x00, 0x08, 0x00, 0xCB, 0x00, 0x00, 0x0A, 0x01, 0x4A, 0x00, 0x13};
    response.insert(response.end(), obex::kFolderBrowsingUuid.begin(), obex::kFolderBrowsingUuid.end());
    auto parsed = CObexPacket::Parse(response, 4);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Code(), obex::kRspSuccess);
    EXPECT_EQ(parsed->Fields(), (Bytes{0x10, 0x00, 0x08, 0x00}));
    EXPECT_EQ(parsed->Find(obex::kHdrConnectionId)->value, 0x0A01u);
    EXPECT_EQ(parsed->Find(obex::kHdrWho)->bytes, Uuid());
}

TEST(ObexPacket, CutOffAndInconsistentPacketsAreRefused)
{
    for (const Bytes& broken : {// Length field larger or smaller than the bytes.
                                Bytes{0xA0, 0x00, 0x05, 0xCB}, Bytes{0xA0, 0x00, 0x02}, Bytes{0xA0, 0x00},
                                // A four-byte header cut off; a one-byte header without its byte.
                                Bytes{0xA0, 0x00, 0x06, 0xCB, 0x00, 0x01}, Bytes{0xA0, 0x00, 0x04, 0x94},
                                // A byte header whose length runs past the packet, or is below its own 3 bytes.
                                Bytes{0xA0, 0x00, 0x08, 0x48, 0x00, 0x09, 0x01, 0x02},
                                Bytes{0xA0, 0x00, 0x06, 0x48, 0x00, 0x02}, Bytes{0xA0, 0x00, 0x05, 0x48, 0x00},
                                // Text of odd length, an unpaired surrogate, bytes after the terminating zero.
                                Bytes{0x02, 0x00, 0x07, 0x01, 0x00, 0x04, 0x61},
                                Bytes{0x02, 0x00, 0x0A, 0x01, 0x00, 0x07, 0xD8, 0x3C, 0x00, 0x00},
                                Bytes{0x02, 0x00, 0x0C, 0x01, 0x00, 0x09, 0x00, 0x00, 0x00, 0x61, 0x00, 0x00}})
        EXPECT_FALSE(CObexPacket::Parse(broken, 0)) << testing::PrintToString(broken);
    // Too short for the CONNECT fields.
    EXPECT_FALSE(CObexPacket::Parse({0xA0, 0x00, 0x05, 0x10, 0x00}, 4));
    // The smallest packet is fine.
    auto empty = CObexPacket::Parse({0xA0, 0x00, 0x03}, 0);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->Headers().empty());
}

TEST(ObexPacket, PacketsThatCannotFitTheLengthFieldOrHoldBrokenTextAreNotBuilt)
{
    CObexPacket big(obex::kOpPut);
    big.AddBytes(obex::kHdrBody, Bytes(0xFFFF - 5, 0x11));
    EXPECT_FALSE(big.Build());
    CObexPacket fits(obex::kOpPut);
    fits.AddBytes(obex::kHdrBody, Bytes(0xFFFF - 6, 0x11));
    ASSERT_TRUE(fits.Build());
    EXPECT_EQ(fits.Build()->size(), 0xFFFFu);
    CObexPacket broken(obex::kOpPut);
    broken.AddText(obex::kHdrName, "bad\xC3");
    EXPECT_FALSE(broken.Build());
    EXPECT_FALSE(obex::Utf16FromUtf8("\xC0\x80"));     // overlong zero
    EXPECT_FALSE(obex::Utf16FromUtf8("\xED\xA0\x80")); // a surrogate written as UTF-8
}

TEST(ObexReader, PacketsArriveInPiecesAndBackToBack)
{
    CObexReader reader(64);
    const Bytes two = {0xA0, 0x00, 0x05, 0x94, 0x02, 0x90, 0x00, 0x03};
    std::size_t used = 0;
    EXPECT_EQ(reader.Feed(two.data(), 1, &used), CObexReader::State::Incomplete);
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(reader.Feed(two.data() + 1, 3, &used), CObexReader::State::Incomplete);
    EXPECT_EQ(reader.Feed(two.data() + 4, two.size() - 4, &used), CObexReader::State::Complete);
    EXPECT_EQ(used, 1u); // the second packet is left for the next round
    EXPECT_EQ(reader.Packet(), (Bytes{0xA0, 0x00, 0x05, 0x94, 0x02}));
    reader.Reset();
    EXPECT_EQ(reader.Feed(two.data() + 5, 3, &used), CObexReader::State::Complete);
    EXPECT_EQ(reader.Packet(), (Bytes{0x90, 0x00, 0x03}));
}

TEST(ObexReader, LengthsNoPacketCanHaveAreInvalid)
{
    for (const Bytes& bad :
         {Bytes{0xA0, 0x00, 0x02}, Bytes{0xA0, 0x00, 0x00}, Bytes{0xA0, 0x00, 0x41}, Bytes{0x41, 0x54, 0x0D}}) {
        CObexReader reader(64);
        EXPECT_EQ(reader.Feed(bad.data(), bad.size()), CObexReader::State::Invalid);
        // Nothing more is taken once invalid.
        std::size_t used = 7;
        EXPECT_EQ(reader.Feed(bad.data(), bad.size(), &used), CObexReader::State::Invalid);
        EXPECT_EQ(used, 0u);
    }
    CObexReader largest(0xFFFF);
    const Bytes header = {0x48, 0xFF, 0xFF};
    EXPECT_EQ(largest.Feed(header.data(), header.size()), CObexReader::State::Incomplete);
}

TEST(ObexListing, AListingGivesNamesFoldersSizesPermissionsAndDates)
{
    const std::string xml =
        "<?xml version=\"1.0\"?>\r\n"
        "<!DOCTYPE folder-listing SYSTEM \"obex-folder-listing.dtd\">\n"
        "<!-- made by hand -->\n"
        "<folder-listing version=\"1.0\">\n"
        "  <parent-folder />\n"
        "  <folder name='Ringtones' modified='20261206T052500Z' user-perm=\"RWD\"/>\n"
        "  <file name=\"Tom &amp; Jerry &#x263A;.mid\" size=\"1234\" modified=\"20240229T235959Z\" user-perm=\"R\" "
        "x-tone-number=\"41\"/>\n"
        "  <file name=\"plain.mid\" size=\"x12\" created=\"20200101T000000Z\" x-tone-number=\"-3\"></file>\n"
        "  <unknown name=\"skip\"/>\n"
        "</folder-listing>\n";
    auto entries = obex::ParseFolderListing(xml);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ(Fields((*entries)[0]), std::tuple("Ringtones", true, 0u, false, 1796534700, 0));
    EXPECT_EQ(Fields((*entries)[1]), std::tuple("Tom & Jerry \xE2\x98\xBA.mid", false, 1234u, true, 1709251199, 41));
    // An unreadable size or tone number counts as 0; no permissions means writable; no date means 0.
    EXPECT_EQ(Fields((*entries)[2]), std::tuple("plain.mid", false, 0u, false, 0, 0));
}

TEST(ObexListing, BrokenListingsAreRefusedAndWrittenOnesReadBack)
{
    for (const char* broken : {"", "<html><file name=\"a\"/></html>", "<folder-listing><file name=\"a",
                               "<folder-listing><file size=\"3\"/></folder-listing>",
                               "<folder-listing><file name=\"../up\"/></folder-listing>",
                               "<folder-listing><file name=\"a\\b\"/></folder-listing>",
                               "<folder-listing><file name=\"&bogus;\"/></folder-listing>",
                               "<folder-listing><file name=\"&#0;\"/></folder-listing>", "<folder-listing><!-- open"})
        EXPECT_FALSE(obex::ParseFolderListing(broken)) << broken;
    auto empty = obex::ParseFolderListing("<folder-listing version=\"1.0\"></folder-listing>");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());

    const std::vector<obex::SListingEntry> written = {
        {.name = "a<b>\"c\"&d.mid", .size = 99, .readOnly = true, .modified = 1700000000, .toneNumber = 57},
        {.name = "Sub", .folder = true}};
    auto read = obex::ParseFolderListing(obex::FormatFolderListing(written, true));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 2u);
    EXPECT_EQ(Fields((*read)[0]), Fields(written[0]));
    EXPECT_EQ(Fields((*read)[1]), Fields(written[1]));
    EXPECT_EQ(obex::FormatListingTime(1700000000), "20231114T221320Z");
    EXPECT_FALSE(obex::ParseListingTime("20231314T221320Z"));
    EXPECT_FALSE(obex::ParseListingTime("2023-11-14"));
}

TEST(ObexProtocol, ResponseCodesMapToTheFailuresThePagesKnow)
{
    EXPECT_EQ(obex::HrFromResponse(obex::kRspSuccess), S_OK);
    EXPECT_EQ(obex::HrFromResponse(obex::kRspCreated), S_OK);
    EXPECT_EQ(obex::HrFromResponse(obex::kRspForbidden), E_ACCESSDENIED);
    EXPECT_EQ(obex::HrFromResponse(obex::kRspUnauthorized), E_ACCESSDENIED);
    EXPECT_EQ(obex::HrFromResponse(obex::kRspNotFound), HR_PATH_NOT_FOUND);
    EXPECT_EQ(obex::HrFromResponse(obex::kRspNotImplemented), E_NOTIMPL);
    EXPECT_EQ(obex::HrFromResponse(obex::kRspDatabaseFull), HR_DISK_FULL);
    EXPECT_EQ(obex::HrFromResponse(obex::kRspServiceUnavailable), HR_PHONE_BUSY);
    EXPECT_EQ(obex::HrFromResponse(0xC7), E_FAIL);
    // Continue is no final success.
    EXPECT_TRUE(FAILED(obex::HrFromResponse(obex::kRspContinue)));
    EXPECT_EQ(obex::ResponseName(obex::kRspForbidden), "Forbidden");
    EXPECT_EQ(obex::ResponseName(0xC7), "0xC7");
}

} // namespace
} // namespace corvina
