// What every page and dialog works with, handed to it when it is built: the application
// object with its serialised operations, the project store, the user prompts and the
// sheet's shared images.
#pragma once

namespace vexal {

class BlockStore;
class CMainApp;
class CSheetImages;
class CUserPrompts;

struct PageContext {
    CMainApp& app;
    BlockStore& project;
    CUserPrompts& prompts;
    const CSheetImages& images;
};

}  // namespace vexal
