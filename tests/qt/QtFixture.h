#pragma once
// The main window on the Qt backend with pretend surroundings: the sample
// firmware files, COM1 and COM3 present, nothing saved.

#include "tests/common/ScratchDir.h"
#include "testsupport/ProgramOnVirtualTime.h"
#include "ui/qt/DialogWindow.h"
#include "ui/qt/QtBackend.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace tvqx {

class QtMainWindowTest : public ::testing::Test, protected ProgramOnVirtualTime<QtBackend> {
protected:
    QtMainWindowTest() : ProgramOnVirtualTime(1'000'000, {{"COM1", "/dev/ttyS0"}, {"COM3", "/dev/ttyUSB0"}})
    {
        // A copy of its own: the firmware files are opened with sharing
        // denied, so test processes running side by side must not share them.
        for (const char* name : {"Tollvane-QX-R_with_Rd_Sw_Conn.txt", "TVQX-R_4_12.hex"})
            std::filesystem::copy_file(std::string(TVQX_EXAMPLES_DIR) + name, m_programDir + name);
        ui.interceptMessageBox = [this](QMessageBox& box) {
            boxes.push_back(box.text().toStdString());
            return true;
        };
    }

    // Shows the main window without a modal loop; the test drives it.
    CTVQX_UpdateDlg& Open()
    {
        dlg = std::make_unique<CTVQX_UpdateDlg>(services);
        dlg->m_programDir = m_programDir;
        dlg->m_tempDir = m_programDir;   // the page image goes there, not where the tests run
        ui.Create(*dlg);
        return *dlg;
    }
    DialogWindow& Window() { return *ui.WindowOf(*dlg); }
    template <typename W = QWidget>
    W* Widget(int id)
    {
        return qobject_cast<W*>(Window().Control(id));
    }

    std::vector<std::string> boxes;
    test::ScratchDir m_scratch{"tvqx-qt"};
    std::string m_programDir = m_scratch.Root();
};

} // namespace tvqx
