// The block page tests' fixture: the page session with project files and simulator
// programs made of generated blocks, and the user's ways of choosing blocks in a list.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QStringList>
#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "block_list_ctrl.h"
#include "cpulink.h"
#include "demo_project.h"
#include "page_session.h"
#include "temp_dir.h"

namespace vexal::testing {

using Bytes = std::vector<uint8_t>;
using Program = std::vector<Bytes>;

// `count` small blocks of one type, numbered from `first`.
inline Program Blocks(int type, int count, uint16_t first = 1) {
    Program blocks;
    for (int index = 0; index < count; ++index) {
        blocks.push_back(MakeDemoBlock(type, static_cast<uint16_t>(first + index), 40,
                                       static_cast<uint32_t>(type * 1000 + index)));
    }
    return blocks;
}

inline Program operator+(Program left, const Program& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

inline Bytes Concatenated(const Program& blocks) {
    Bytes bytes;
    for (const Bytes& block : blocks) bytes.insert(bytes.end(), block.begin(), block.end());
    return bytes;
}

// The list texts of the blocks, in type and number order, each once, SFBs and SFCs left out.
inline QStringList ListTexts(const Program& blocks) {
    std::vector<std::pair<int, uint16_t>> keys;
    for (const Bytes& block : blocks) {
        const int type = cpuLink_GetBlockType(block.data());
        if (type >= 0 && type < BLOCK_TYPE_COUNT)
            keys.emplace_back(type, BlockImageNumber(block.data()));
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    QStringList texts;
    for (const auto& [type, number] : keys) texts.append(BlockListText(type, number));
    return texts;
}

class BlockPageSession : public PageSession {
protected:
    std::string WriteProject(const std::string& name, const Program& blocks) const {
        const std::string path = files.File(name);
        WriteBytes(path, Concatenated(blocks));
        return path;
    }

    // A connected application whose simulator holds `program`.
    void StartWithProgram(const Program& program, sim::SimOptions options = {}, bool large = true) {
        options.programFile = WriteProject("controller.wld", program);
        StartConnected(std::move(options), large);
    }

    // Opens the Online page and lets the tick run its refresh.
    void ShowControllerBlocks() {
        ShowPage("onlinePage");
        Tick();
    }

    void Load(const std::string& path) {
        prompts->files.push_back(QString::fromStdString(path));
        Click("offlineLoad");
    }

    // The texts of the listed items, or of the selected ones only.
    QStringList Texts(const char* listName, bool selectedOnly = false) const {
        QStringList texts;
        const auto* list = Find<QListWidget>(listName);
        for (int index = 0; list != nullptr && index < list->count(); ++index) {
            const QListWidgetItem* item = list->item(index);
            if (!selectedOnly || item->isSelected()) texts.append(item->text());
        }
        return texts;
    }

    // Ctrl-clicks each listed item, as a user adds items to the selection.
    void Select(const char* listName, const QStringList& texts) {
        auto* list = Find<QListWidget>(listName);
        ASSERT_NE(list, nullptr);
        for (const QString& text : texts) {
            const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << text.toStdString();
            list->scrollToItem(found.first());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              list->visualItemRect(found.first()).center());
        }
    }

    QString Label(const char* name) const {
        const auto* label = Find<QLabel>(name);
        return label != nullptr ? label->text() : QString();
    }

    bool Enabled(const char* name) const {
        const auto* control = Find<QWidget>(name);
        return control != nullptr && control->isEnabled();
    }

    // A copy of the block's image in the simulator or the project; empty when absent.
    Bytes ControllerImage(int type, uint16_t number) {
        std::lock_guard<std::mutex> lock(simulator->Controller().Lock());
        return ImageIn(simulator->Controller().Blocks(), type, number);
    }
    Bytes ProjectImage(int type, uint16_t number) const {
        return ImageIn(app->Project(), type, number);
    }
    static Bytes ImageIn(const BlockStore& store, int type, uint16_t number) {
        const uint8_t* image = store.Find(type, number);
        return image != nullptr ? Bytes(image, image + BlockImageLength(image)) : Bytes();
    }

    TempDir files;
};

}  // namespace vexal::testing
