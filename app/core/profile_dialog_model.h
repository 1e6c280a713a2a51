// The state behind the "Select profile" dialog: the listed profiles with the output size each
// gives for the job's input, the selected list position, and the aspect choice (one of the
// offered items, or text typed into the edit field). The aspect choice writes the job's vertical
// factor as soon as it changes; OK writes the profile index.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "profiles/profile_choices.h"

namespace lumivex {

struct EnhanceJob;
class ProfileList;

class ProfileDialogModel {
public:
    // The dialog opens on "Automatic" without applying it, and lists the profiles with the job's
    // current vertical factor, the job's profile selected.
    ProfileDialogModel(EnhanceJob& job, const ProfileList& profiles);

    // Lists every profile again for the current factor, keeping the selected position.
    void FillProfileList();

    // The rows in display order (alphabetical by item text).
    const std::vector<ProfileChoice>& Rows() const { return rows_; }
    // The selected row, or -1.
    int SelectedRow() const { return selectedRow_; }
    void SelectRow(int row);

    // One of AspectChoices() picked from the list; applies it and lists again.
    void ChooseAspectItem(int item);
    // Text typed into the edit field (no item selected any more); applies it and lists again.
    void EditAspectText(const std::string& text);
    // The picked item, or -1 after typing.
    int AspectItem() const { return aspectItem_; }

    // "High quality reconstruction (slower)": shows the job's earlier choice, else the selected
    // profile's method, and follows the profile whenever a row is selected.
    bool HighQuality() const { return highQuality_; }
    void SetHighQuality(bool on) { highQuality_ = on; }

    // OK: applies the aspect choice, then stores the selected row's profile index (0 when no row
    // is selected) and the reconstruction choice in the job.
    void Accept();

private:
    // Applies the current aspect choice; true when the factor was written.
    bool ApplyAspectChoice();

    EnhanceJob& job_;
    const ProfileList& profiles_;
    std::vector<ProfileChoice> rows_;
    int selectedRow_ = -1;
    // Whether the profile of the row asks for the high-quality reconstruction.
    bool RowAsksForQuality(int row) const;

    int aspectItem_;
    std::string aspectText_;
    bool highQuality_ = false;
};

}  // namespace lumivex
