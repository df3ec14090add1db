// The edit variable dialog as a user fills it: the address checked by the library, the
// formats that suit its kind, the modify value converted before OK closes it.
#include <cstring>

#include "edit_variable_dlg.h"
#include "page_session.h"

namespace vexal {
namespace {

using testing::Bytes;

struct DialogCase {
    const char* start;  // the variable being edited, "" for a new one
    int startFormat;
    const char* typed;   // replaces the address text; null leaves it
    bool check;          // "Check" before OK
    const char* chosen;  // format picked in the list; null leaves it
    const char* modify;  // typed into the modify edit; null leaves it
    // What follows OK; the dialog is described when opened and after OK.
    const char* message;  // "" when the dialog closes
    int format;
    Bytes modifyBytes;  // empty: no modify value
};

using EditVariableDlgTest = testing::PageSession;

TEST_F(EditVariableDlgTest, AddressFormatAndModifyValueAsTheUserEntersThem) {
    // clang-format off
    const DialogCase cases[] = {
        {"", 0, "mw10", false, nullptr, nullptr, "", VARIABLE_FORMAT_HEX, {}},
        {"MW10", VARIABLE_FORMAT_COUNTER, "md4", true, nullptr, nullptr, "", VARIABLE_FORMAT_HEX, {}},
        {"MW10", VARIABLE_FORMAT_DEC, "md4", false, nullptr, nullptr, "", VARIABLE_FORMAT_DEC, {}},
        {"MW10", VARIABLE_FORMAT_DEC, "", false, nullptr, "7", "", 0, {}},
        {"", 0, "db1.dbw2", true, nullptr, "   ", "Wrong Value", VARIABLE_FORMAT_HEX, {}},
        {"", 0, "db 1.dbw 2", true, "DEC", " 12 ", "", VARIABLE_FORMAT_DEC, {0x00, 0x0C}},
        {"", 0, "XY1", false, nullptr, nullptr, "Wrong Variable", 0, {}},
        {"", 0, "P#M0.0 BYTE 10", false, nullptr, nullptr, "Wrong Variable", 0, {}},
        {"", 0, "MW10", true, nullptr, "70000", "Wrong Value", VARIABLE_FORMAT_HEX, {}},
        {"", 0, "e 0.1", true, nullptr, "1", "", VARIABLE_FORMAT_DEC, {0x01}},
        {"T5", VARIABLE_FORMAT_S5_TIME, nullptr, false, "BIN", "S5T#2S", "", VARIABLE_FORMAT_BIN, {0x02, 0x00}},
        {"C3", VARIABLE_FORMAT_HEX, "Z 4", false, nullptr, nullptr, "", VARIABLE_FORMAT_HEX, {}},
    };
    // clang-format on
    StartApp(true);
    for (const DialogCase& c : cases) {
        const std::string name = std::string(c.start) + " -> " + (c.typed ? c.typed : "(kept)");
        SCOPED_TRACE(name);
        messages.clear();
        CEditVariableDlg dialog(app->MakePageContext(), true);
        const bool isNew = std::strlen(c.start) == 0;
        if (!isNew) {
            ASSERT_NE(cpuLink_ParseVariableW(&dialog.descriptor,
                                             QString::fromLatin1(c.start).toStdWString().c_str()),
                      0);
            dialog.format = c.startFormat;
        }
        dialog.show();
        Snap(name + " opened", &dialog);
        testing::FillVariableDialog(&dialog, c.typed, c.check, c.chosen, c.modify);
        Snap(name + " after OK", &dialog);
        const bool closed = std::strlen(c.message) == 0;
        EXPECT_EQ(messages, closed ? QStringList{} : QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(dialog.result(), closed ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(dialog.format, c.format);
        if (closed && c.format == 0) {
            EXPECT_EQ(dialog.descriptor.kind, VARIABLE_KIND_NONE);
        }
        EXPECT_EQ(dialog.hasModify != 0 && closed, !c.modifyBytes.empty());
        uint8_t word[4];
        std::memcpy(word, &dialog.modifyValue, sizeof word);
        if (!c.modifyBytes.empty()) {
            EXPECT_EQ(Bytes(word, word + c.modifyBytes.size()), c.modifyBytes);
        }
        dialog.close();
    }
}

}  // namespace
}  // namespace vexal
