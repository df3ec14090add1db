// Windows described as text, and golden files to compare the descriptions with: one line per
// control in tree order, indented by depth, with its object name, class, "disabled" and
// "hidden" when so, and what it shows (text, check state, an edit's focus and selection,
// accessible name and description); then one line per item of a list, table or combo box
// ("> " marks a selected row, ** a bold cell). The date and time pickers' values vary from
// run to run and are left out; a test masks what else varies with `varying`.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace vexal::testing {

inline QString Quoted(const QString& text) {
    return " \"" + QString(text).replace('\n', "\\n") + '"';
}

inline QString Cells(const QTreeWidgetItem* row, int columns) {
    QStringList cells;
    for (int column = 0; column < columns; ++column)
        cells << (row->font(column).bold() ? "**" + row->text(column) + "**" : row->text(column));
    return cells.join(" | ");
}

// What the control shows on its own line; its items go to `rows`.
inline QString Shows(const QWidget* control, QStringList* rows) {
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text().isEmpty() ? QString() : Quoted(label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        if (!button->isCheckable()) return Quoted(button->text());
        return Quoted(button->text()) + (button->isChecked() ? " checked" : " unchecked");
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(control)) return Quoted(group->title());
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) {
        return Quoted(edit->text()) + (edit->window()->focusWidget() == edit ? " focus" : "") +
               (edit->echoMode() == QLineEdit::Password ? " masked" : "") +
               (edit->hasSelectedText() ? " selected" + Quoted(edit->selectedText()) : "");
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(control)) {
        for (int index = 0; index < combo->count(); ++index) *rows << combo->itemText(index);
        return Quoted(combo->currentText());
    }
    if (const auto* list = qobject_cast<const QListWidget*>(control)) {
        for (const QListWidgetItem* item : list->findItems("*", Qt::MatchWildcard))
            *rows << (item->isSelected() ? "> " : "- ") + item->text();
    }
    if (const auto* tree = qobject_cast<const QTreeWidget*>(control)) {
        for (int index = 0; index < tree->topLevelItemCount(); ++index) {
            const QTreeWidgetItem* row = tree->topLevelItem(index);
            *rows << (row->isSelected() ? "> " : "- ") + Cells(row, tree->columnCount());
        }
        return " columns" + Quoted(Cells(tree->headerItem(), tree->columnCount()));
    }
    return {};
}

// Qt's own parts of a control are named "qt_..." (a list's header is part of the list);
// popups are windows of their own.
inline void Describe(const QWidget* control, int depth, QString* text) {
    QString line(depth * 2, ' ');
    if (!control->objectName().isEmpty()) line += control->objectName() + ' ';
    line += QString::fromLatin1(control->metaObject()->className()).remove("vexal::");
    if (!control->isEnabled()) line += " disabled";
    if (control->isHidden()) line += " hidden";
    QStringList rows;
    line += Shows(control, &rows);
    const QString description = control->accessibleDescription();
    if (!control->accessibleName().isEmpty() || !description.isEmpty())
        line += " [" + control->accessibleName() + (description.isEmpty() ? "" : ": ") +
                description + ']';
    *text += line + '\n';
    for (const QString& row : rows) *text += QString(depth * 2 + 2, ' ') + row + '\n';
    if ((depth > 0 && control->isHidden()) || control->inherits("QAbstractItemView")) return;
    for (const auto* child : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->objectName().startsWith("qt_") && !child->isWindow())
            Describe(child, depth + 1, text);
    }
}

// `root` and every control in it; what matches `varying` shows as "#".
inline std::string Describe(const QWidget* root, const QRegularExpression& varying = {}) {
    QString text;
    Describe(root, 0, &text);
    text.replace(QRegularExpression(" +\n"), "\n");  // after an empty last cell
    if (!varying.pattern().isEmpty()) text.replace(varying, "#");
    return text.toStdString();
}

// Compares `text` with tests/gui/golden/<name>.txt. Run the tests with VEXAL_UPDATE_GOLDEN=1
// to write the files instead, then read their diff before committing them.
inline void ExpectGolden(const std::string& name, const std::string& text) {
    const std::string path = std::string(VEXAL_GOLDEN_DIR) + "/" + name + ".txt";
    const char* update = std::getenv("VEXAL_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::stringstream golden;
    golden << std::ifstream(path, std::ios::binary).rdbuf();
    EXPECT_EQ(text, golden.str()) << path << " (VEXAL_UPDATE_GOLDEN=1 rewrites it)";
}

}  // namespace vexal::testing
