#pragma once

#include "core/editing/profile_tree.h"
#include "core/module/module_config.h"

#include <QString>

#include <vector>

namespace vxl {

// What the editing panel's value controls hold: selector entries by index, field texts, check
// boxes and radio buttons. Every selector starts at its first entry.
struct EditorControls
{
    int portModBaud = 0; // cmbPortModBaud

    int activationCan = 0;     // cmbActivationCAN: 0 "Enable", 1 "Disable"
    int bitrateCan = 0;        // cmbBitrateCAN: the timing table, then "User"
    QString userCan;           // ediUserCAN
    int canMask = 0;           // cbCanMask
    bool canErrorMask = false; // chbErrorMask
    QString offset;            // ediOffset
    QString canErrorId;        // ediCANErrorID
    bool can29 = false;        // rdbC29 (else rdbC11)

    int activationLin = 0;              // cmbActivationLIN
    int bitrateLin = 0;                 // cmbBitrateLIN
    QString userLin;                    // ediUserLIN
    int linMask = 0;                    // cbLinMask
    bool linErrorMask = false;          // chbLinErrorMask
    bool linCanErrorMask = false;       // chbLinCANErrorMask
    QString linFilterMask;              // ediLINFilterMask
    QString linFilterCode;              // ediLINFilterCode
    int masterStatus = 0;               // cmbMasterStatus: 0 "Active", 1 "Inactive"
    int linTermination = 0;             // cmbLinSlaveTermination: 0 "Master", 1 "Slave"
    QString slaveActivationId;          // ediCANIDSActivation
    bool slaveActivationActive = false; // chbCANIDActivation
    bool lin29 = false;                 // rdbL29 (else rdbL11)

    friend bool operator==(const EditorControls &, const EditorControls &) = default;
};

// How "Set" goes on for the selected node: stored at once, or through a dialog.
enum class SetAction {
    Nothing,         // no editable node
    Stored,          // the value was computed from the controls
    FilterDialog,    // the CAN acceptance filter calculator
    SchedulerDialog, // the scheduler entry editor
    SlaveDialog,     // the slave ID/data editor
    FrameDialog,     // the frame configuration editor
};

// The profile editor without widgets: the profile copy, the tree's captions, the selection,
// and what selecting, "Set" and "Default" do to the controls and to the profile copy.
class ProfileEditorModel
{
public:
    ProfileEditorModel();

    // A profile is shown: the copy takes its values and every node its caption with values.
    void Load(const ModuleConfig &profile);
    // Nothing loaded: the cleared captions.
    void Clear();
    [[nodiscard]] bool IsLoaded() const { return m_loaded; }

    [[nodiscard]] const ModuleConfig &Profile() const { return m_profile; }
    [[nodiscard]] const ProfileCaptions &Captions() const { return m_captions; }

    // The tree selection changed (-1: nothing). False for a heading or no node.
    bool Select(int node);
    [[nodiscard]] EditGroup SelectedGroup() const { return m_group; }
    [[nodiscard]] ParamCode SelectedCode() const { return m_code; }
    [[nodiscard]] int SelectedNode() const { return ProfileNodeOf(m_group, m_code); }

    // The caption label of the selected node's sub-panel.
    [[nodiscard]] QString ActionCaption() const;
    // Fills the selected node's controls from the profile copy; the others keep their contents.
    void Fill(EditorControls &controls) const;

    // "Set": for a value edited in the panel, normalises the node's fields as leaving them does
    // and stores the value; for the others says which dialog decides.
    SetAction Set(EditorControls &controls);
    // "Default": stores the selected node's standard value. The group changed, or NoGroup.
    EditGroup Default();

    // Results of the dialogs "Set" opens.
    void SetCanFilter(std::uint32_t code, std::uint32_t mask);
    void SetSchedulerEntries(const std::vector<LIN_SchedulerEntry> &entries);
    // The slave dialog's three results (ID text, "Enabled", the 16 data digits).
    void SetSlaveIdData(const QString &idText, bool enabled, const QString &dataText);
    // After the slave dialog, confirmed or not.
    void CopySlaveIdIntoFrames();
    // The frame editor's confirmed copy of the whole LIN group.
    void SetFrameConfig(const LIN_Group &lin);

    [[nodiscard]] std::vector<LIN_SchedulerEntry> SchedulerEntries() const;

private:
    void refresh(EditGroup group);
    void storeCan(EditorControls &controls);
    void storeLin(EditorControls &controls);

    ModuleConfig m_profile;
    ProfileCaptions m_captions;
    EditGroup m_group = NoGroup;
    ParamCode m_code = NoCode;
    bool m_loaded = false;
};

// Frames[slave ID] takes the slave ID data; nothing for an identifier beyond the table.
void CopySlaveIdIntoFrames(LIN_Group &lin);
// The slave ID data takes Frames[slave ID]; nothing for an identifier beyond the table.
void CopyFramesIntoSlaveId(LIN_Group &lin);

} // namespace vxl
