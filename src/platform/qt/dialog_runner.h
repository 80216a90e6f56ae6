#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmora {

// What the file-open dialog is asked to show.
struct OpenDialogRequest {
    QString initialFolder;    // where browsing starts; empty for the current folder
    QString initialFile;      // preselected name; empty for none
    QStringList nameFilters;  // Qt name filters ("Flash(*.swf) (*.swf)"); empty for all files
    bool multiSelect = false; // several files of one folder may be chosen
};

// What the colour dialog is asked to show.
struct ColorDialogRequest {
    std::optional<QColor> initial;  // the colour the dialog starts from; none for its default
    bool fullOpen = false;          // custom-colour section shown from the start
};

// Shows the common dialogs and waits for the user. The toolkit's dialog control goes through this
// so that tests can answer in the user's place.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    // The chosen files as full paths, in the order the dialog gives them; nothing on a cancel.
    virtual std::optional<QStringList> runOpen(const OpenDialogRequest& request) = 0;
    // The confirmed colour; nothing on a cancel.
    virtual std::optional<QColor> runColor(const ColorDialogRequest& request) = 0;
};

}  // namespace velmora
