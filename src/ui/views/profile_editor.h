#pragma once

#include "core/editing/profile_editor_model.h"

#include <QWidget>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace vxl {

class clsVLINXMLProfile;
class ProfileValuePanel;

// The profile editor of the "Profiles Management" view: the profile tree `trvProfile` and the
// editing area `panEditing` ("Editing:") with the panel `panEditProfile` of the selected value.
//
// How the file commands drive it:
// - showProfile(document): after a profile was loaded or made. The tree takes the document's
//   values and is expanded whole, the editing area appears, and every later "Set" or "Default"
//   writes its group back into that document. The caller keeps the document alive while it is
//   shown (the main window owns it for the whole run).
// - reset(): the profile was unloaded. The tree shows its cleared captions, collapsed; the
//   editing area is hidden and no document is written any more.
// - profileModified(): emitted after a group was written into the document (the document's
//   own modified flag is then set), so that the file commands can follow. Every "Set" or
//   "Default" on a value writes its group, even when the value did not change.
// - commandStatesRequested(): emitted after every "Set" and "Default", also when nothing
//   editable was selected, for the enabling of the profile commands.
class ProfileEditor : public QWidget
{
    Q_OBJECT

public:
    explicit ProfileEditor(QWidget *parent = nullptr);

    // False when the document holds no readable profile; the editor is then reset.
    bool showProfile(clsVLINXMLProfile &document);
    void reset();

    [[nodiscard]] const ProfileEditorModel &model() const { return m_model; }
    [[nodiscard]] QTreeWidget *tree() const { return m_tree; }

signals:
    void profileModified();
    void commandStatesRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildTree();
    void showCaptions();
    // ShowValueEditor: the selected node's controls, or no panel for a heading.
    void trvProfileChange();
    void btnSetValueClick();
    void btnSetStandarValueClick();
    // Run the dialog that edits the selected value and take its result after OK.
    void runFilterDialog();
    void runSchedulerDialog();
    void runSlaveDialog();
    void runFrameDialog();
    void writeGroup(EditGroup group);

    ProfileEditorModel m_model;
    clsVLINXMLProfile *m_document = nullptr; // not owned: see showProfile
    QTreeWidget *m_tree = nullptr;
    std::vector<QTreeWidgetItem *> m_items; // by node number
    QWidget *m_editing = nullptr;
    QLabel *m_editingLabel = nullptr;
    ProfileValuePanel *m_panel = nullptr;
};

} // namespace vxl
