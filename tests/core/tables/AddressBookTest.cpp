// The main program's address-book layout: columns from AddrBook.plt, the exchange buffer and
// its slices, and the record handed to the plug-in.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/host/PluginHandler.h"
#include "core/tables/AddressBook.h"
#include "core/tables/PelagorTable.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

using platform::MessageBoxRecorder;
using testsupport::TempFolder;

namespace {

const char* const kMnemonics =
    " AddrBook.plt|CTRL_TYPE|CTRL_EDIT|1\n"
    " AddrBook.plt|CTRL_TYPE|CTRL_COMBO|2\n";

const char* const kNodeColumns =
    "# name, then address\n"
    "Node name|30|150|CTRL_EDIT|Name:\n"
    "Address|11|1|CTRL_COMBO|Address:\n";

class AddressBookFolder : public ::testing::Test {
protected:
    std::string Folder(const std::string& addrBook)
    {
        folder_.Write("Proto/Mnemonic.plt", kMnemonics);
        folder_.Write("Proto/AddrBook.plt", addrBook);
        return folder_ / "Proto";
    }

    TempFolder folder_;
    AddressBook book_;
};

TEST_F(AddressBookFolder, StartsEmpty)
{
    EXPECT_EQ(book_.GetColumnCount(), 0);
    EXPECT_EQ(book_.Record().text, nullptr);
    EXPECT_EQ(book_.Record().ready, 0);
    EXPECT_EQ(book_.GetColumnText(0), nullptr);
}

TEST_F(AddressBookFolder, ColumnsOf30And11GiveA41ByteBufferWithTheSecondSliceAtByte30)
{
    ASSERT_EQ(book_.Load(Folder(kNodeColumns)), 1);
    ASSERT_EQ(book_.GetColumnCount(), 2);
    EXPECT_STREQ(book_.Columns()[0].ITEM_NAME, "Node name");
    EXPECT_EQ(book_.Columns()[1].CTRL_TYPE, 2);
    EXPECT_EQ(book_.Columns()[1].COLUMN_WIDTH, 1);
    EXPECT_STREQ(book_.Columns()[1].CTRL_LABEL, "Address:");
    EXPECT_EQ(book_.GetColumnWidth(0), 30);
    EXPECT_EQ(book_.GetColumnWidth(1), 11);
    EXPECT_EQ(book_.GetBufferSize(), 41u);
    ASSERT_EQ(book_.Slices().size(), 2u);
    EXPECT_EQ(book_.Slices()[0].ptr, book_.Record().text);
    EXPECT_EQ(book_.Slices()[1].ptr, book_.Record().text + 30);
    EXPECT_EQ(book_.Slices()[1].len, 11);
    EXPECT_EQ(book_.Record().ready, 1);
    for (size_t i = 0; i < 41; ++i)
        ASSERT_EQ(book_.Record().text[i], '\0') << "byte " << i;
}

TEST_F(AddressBookFolder, SetColumnTextCutsToTheSliceAndZeroFillsTheRest)
{
    ASSERT_EQ(book_.Load(Folder(kNodeColumns)), 1);
    book_.SetColumnText(1, "0x0000ABCD");
    book_.SetColumnText(0, "A long node name of more than thirty characters");
    // No terminator: the name runs right up to the address slice.
    EXPECT_EQ(std::string(book_.Record().text, 30), "A long node name of more than ");
    EXPECT_STREQ(book_.GetColumnText(0), "A long node name of more than ");
    EXPECT_STREQ(book_.GetColumnText(1), "0x0000ABCD");

    book_.SetColumnText(0, "Gate");
    EXPECT_STREQ(book_.GetColumnText(0), "Gate");
    EXPECT_EQ(std::memcmp(book_.Record().text, "Gate\0\0\0\0\0", 9), 0);
    EXPECT_EQ(book_.Record().text[29], '\0');

    // The last slice filled to its end: exactly its 11 characters, nothing beyond.
    book_.SetColumnText(1, "0x123456789ABC");
    EXPECT_STREQ(book_.GetColumnText(1), "0x123456789");
}

TEST_F(AddressBookFolder, SliceWhoseFirstByteIsZeroReadsAsNull)
{
    ASSERT_EQ(book_.Load(Folder(kNodeColumns)), 1);
    book_.SetColumnText(0, "Later text");
    book_.Record().text[0] = '\0';
    EXPECT_EQ(book_.GetColumnText(0), nullptr);
    book_.SetColumnText(1, "");
    EXPECT_EQ(book_.GetColumnText(1), nullptr);
    book_.SetColumnText(1, nullptr);
    EXPECT_EQ(book_.GetColumnText(1), nullptr);
}

TEST_F(AddressBookFolder, ColumnsPastTheCountAreRefused)
{
    ASSERT_EQ(book_.Load(Folder(kNodeColumns)), 1);
    book_.SetColumnText(2, "nowhere");
    EXPECT_EQ(book_.GetColumnText(2), nullptr);
    EXPECT_EQ(book_.GetColumnWidth(2), 0);
    EXPECT_EQ(book_.GetColumnText(0), nullptr);
}

TEST_F(AddressBookFolder, RebuildingZeroesTheBuffer)
{
    ASSERT_EQ(book_.Load(Folder(kNodeColumns)), 1);
    book_.SetColumnText(0, "Gate");
    EXPECT_EQ(book_.BuildEntryBuffer(), 1);
    EXPECT_EQ(book_.GetColumnText(0), nullptr);
    EXPECT_EQ(book_.Slices().size(), 2u);
}

TEST_F(AddressBookFolder, OnlyCommentsLoadsNothingAndKeepsTheOldBuffer)
{
    ASSERT_EQ(book_.Load(Folder(kNodeColumns)), 1);
    char* old = book_.Record().text;
    book_.SetColumnText(0, "Gate");
    EXPECT_EQ(book_.Load(Folder("# nothing but\n# comments\n")), 0);
    EXPECT_EQ(book_.GetColumnCount(), 0);
    EXPECT_EQ(book_.Record().ready, 0);
    // The plug-in may still be handed the record: its buffer is the old one, intact.
    EXPECT_EQ(book_.Record().text, old);
    EXPECT_EQ(std::string(old), "Gate");
}

TEST_F(AddressBookFolder, MissingTableLoadsNothing)
{
    MessageBoxRecorder recorder;
    EXPECT_EQ(book_.Load(folder_ / "NoSuchProtocol"), 0);
    EXPECT_EQ(book_.GetColumnCount(), 0);
    EXPECT_EQ(book_.Record().text, nullptr);
}

TEST_F(AddressBookFolder, RejectedLineShowsTheReadersMessageAndDropsTheRowsBeforeIt)
{
    MessageBoxRecorder recorder;
    EXPECT_EQ(book_.Load(Folder("Node name|30|150|CTRL_EDIT|Name:\nAddress|11|90|CTRL_BUTTON|Address:\n")), 0);
    EXPECT_EQ(book_.GetColumnCount(), 0);
    ASSERT_EQ(recorder.Texts().size(), 1u);
    EXPECT_EQ(recorder.Texts()[0].rfind("Error reading table AddrBook.plt.\nInvalid value on line 2\n", 0), 0u)
        << recorder.Texts()[0];
}

TEST(AddressBookShipped, GenericFolderHasTheNodeTextLayout)
{
    AddressBook book;
    ASSERT_EQ(book.Load(PELAGOR_PROTOCOLS_DIR "/Generic"), 1);
    ASSERT_EQ(book.GetColumnCount(), 2);
    EXPECT_EQ(book.GetColumnWidth(0), 30);
    EXPECT_EQ(book.GetColumnWidth(1), 11);
    EXPECT_EQ(book.GetBufferSize(), 41u);
}

// The whole road of the panel's "Add": record filled through the layout, handed to the
// loaded plug-in by the host, the notice read back through the layout.
class AddressBookWithHalyard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(host_.Load(HALYARD_PATH, ""), 1) << host_.LoadErrorText();
        ASSERT_TRUE(host_.AddressBookSupported());
        host_.RemoveAllNodesAddrBook();
        while (host_.GetPendingRec(&scratch_.Record()) != 0) {
        }
    }

    PluginHandler host_;
    AddressBook scratch_;
};

TEST_F(AddressBookWithHalyard, AddThenDrainThroughTheShippedLayout)
{
    AddressBook book;
    ASSERT_EQ(book.Load(PELAGOR_PROTOCOLS_DIR "/Generic"), 1);
    book.SetColumnText(0, "Gate");
    book.SetColumnText(1, "0x00001234");
    ASSERT_EQ(host_.SetNodeAdrB(&book.Record()), 1);

    book.BuildEntryBuffer();
    ASSERT_EQ(host_.GetPendingRec(&book.Record()), 1);
    EXPECT_EQ(book.Record().type, 1u);
    EXPECT_EQ(book.Record().index, 0);
    EXPECT_STREQ(book.GetColumnText(0), "Gate");
    EXPECT_STREQ(book.GetColumnText(1), "0x00001234");
    EXPECT_EQ(host_.GetPendingRec(&book.Record()), 0);
}

TEST_F(AddressBookWithHalyard, TableNarrowerThanThePluginsLayoutIsStillSafe)
{
    // A wrong AddrBook.plt: the plug-in writes its 41 bytes all the same.
    TempFolder folder;
    folder.Write("Narrow/Mnemonic.plt", kMnemonics);
    folder.Write("Narrow/AddrBook.plt", "Node name|10|150|CTRL_EDIT|Name:\n");
    AddressBook book;
    ASSERT_EQ(book.Load(folder / "Narrow"), 1);
    EXPECT_EQ(book.GetBufferSize(), 10u);
    book.SetColumnText(0, "Short");
    ASSERT_EQ(host_.SetNodeAdrB(&book.Record()), 1);
    ASSERT_EQ(host_.GetNodeAdrB(0, &book.Record()), 1);
    EXPECT_STREQ(book.GetColumnText(0), "Short");
}

} // namespace
