// The edit variable dialog as a user fills it: the address checked by the library, the
// formats that suit its kind, the modify value converted before OK closes it.
#include <cstring>

#include "edit_variable_dlg.h"
#include "page_session.h"

namespace vexal {
namespace {

struct DialogCase {
    const char* start;  // the variable being edited, "" for a new one
    int startFormat;
    const char* typed;   // replaces the address text; null leaves it
    bool check;          // "Check" before OK
    const char* chosen;  // format picked in the list; null leaves it
    const char* modify;  // typed into the modify edit; null leaves it
};

using EditVariableDlgTest = testing::PageSession;

TEST_F(EditVariableDlgTest, AddressFormatAndModifyValueAsTheUserEntersThem) {
    // The golden file holds each dialog opened and after OK, with what was shown, its
    // result, format, variable kind and modify value.
    const DialogCase cases[] = {
        {"", 0, "mw10", false, nullptr, nullptr},
        {"MW10", VARIABLE_FORMAT_COUNTER, "md4", true, nullptr, nullptr},
        {"MW10", VARIABLE_FORMAT_DEC, "md4", false, nullptr, nullptr},
        {"MW10", VARIABLE_FORMAT_DEC, "", false, nullptr, "7"},
        {"", 0, "db1.dbw2", true, nullptr, "   "},
        {"", 0, "db 1.dbw 2", true, "DEC", " 12 "},
        {"", 0, "XY1", false, nullptr, nullptr},
        {"", 0, "P#M0.0 BYTE 10", false, nullptr, nullptr},
        {"", 0, "MW10", true, nullptr, "70000"},
        {"", 0, "e 0.1", true, nullptr, "1"},
        {"T5", VARIABLE_FORMAT_S5_TIME, nullptr, false, "BIN", "S5T#2S"},
        {"C3", VARIABLE_FORMAT_HEX, "Z 4", false, nullptr, nullptr},
    };
    StartApp(true);
    for (const DialogCase& c : cases) {
        const std::string name = std::string(c.start) + " -> " + (c.typed ? c.typed : "(kept)");
        SCOPED_TRACE(name);
        messages.clear();
        CEditVariableDlg dialog(app->MakePageContext(), true);
        if (std::strlen(c.start) != 0) {
            ASSERT_NE(cpuLink_ParseVariableW(&dialog.descriptor,
                                             QString::fromLatin1(c.start).toStdWString().c_str()),
                      0);
            dialog.format = c.startFormat;
        }
        dialog.show();
        Snap(name + " opened", &dialog);
        testing::FillVariableDialog(&dialog, c.typed, c.check, c.chosen, c.modify);
        Snap(name + " after OK", &dialog);
        const QByteArray modify(reinterpret_cast<const char*>(&dialog.modifyValue), 4);
        described +=
            "result " + std::to_string(dialog.result()) + ", format " +
            std::to_string(dialog.format) + ", kind " + std::to_string(dialog.descriptor.kind) +
            ", modify " + (dialog.hasModify != 0 ? modify.toHex(' ').toStdString() : "none") +
            (messages.isEmpty() ? "" : ", shown " + messages.join(" | ").toStdString()) + "\n";
        dialog.close();
    }
}

}  // namespace
}  // namespace vexal
