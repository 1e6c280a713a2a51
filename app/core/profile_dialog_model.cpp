#include "app/core/profile_dialog_model.h"

#include "job/job.h"
#include "profiles/aspect_choice.h"
#include "profiles/profile_list.h"

namespace lumivex {

ProfileDialogModel::ProfileDialogModel(EnhanceJob& job, const ProfileList& profiles)
    : job_(job),
      profiles_(profiles),
      aspectItem_(kAutomaticAspectChoice),
      aspectText_(AspectChoices()[kAutomaticAspectChoice]) {
    // The "Automatic" shown is applied at once, so that the sizes listed are those OK gives: a
    // ratio chosen at an earlier opening would otherwise be listed while OK restores the media's
    // shape.
    ApplyAspectChoice();
    FillProfileList();
    highQuality_ = job.chosenMethod ? *job.chosenMethod == ReconstructionMethod::kQuality
                                    : RowAsksForQuality(selectedRow_);
}

bool ProfileDialogModel::RowAsksForQuality(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        return false;
    }
    EnhanceParams params;
    params.Load(profiles_.Path(rows_[static_cast<std::size_t>(row)].index));
    return ReconstructionMethodOf(params) == ReconstructionMethod::kQuality;
}

void ProfileDialogModel::FillProfileList() {
    const int previous = selectedRow_;
    rows_ = ListProfileChoices(profiles_, job_.width, job_.height, job_.verticalFactor);
    selectedRow_ = -1;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (rows_[row].index == job_.profileIndex) {
            selectedRow_ = static_cast<int>(row);
        }
    }
    // The position the user had selected wins over the job's profile.
    if (previous >= 0 && previous < static_cast<int>(rows_.size())) {
        selectedRow_ = previous;
    }
}

void ProfileDialogModel::SelectRow(int row) {
    selectedRow_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1;
    highQuality_ = RowAsksForQuality(selectedRow_);
}

void ProfileDialogModel::ChooseAspectItem(int item) {
    const auto& choices = AspectChoices();
    if (item < 0 || item >= static_cast<int>(choices.size())) {
        return;
    }
    aspectItem_ = item;
    aspectText_ = choices[static_cast<std::size_t>(item)];
    if (ApplyAspectChoice()) {
        FillProfileList();
    }
}

void ProfileDialogModel::EditAspectText(const std::string& text) {
    aspectItem_ = -1;
    aspectText_ = text;
    if (ApplyAspectChoice()) {
        FillProfileList();
    }
}

bool ProfileDialogModel::ApplyAspectChoice() {
    return lumivex::ApplyAspectChoice(aspectItem_ == kAutomaticAspectChoice, aspectText_,
                                      job_.width, job_.height, job_.mediaFactor,
                                      job_.verticalFactor);
}

void ProfileDialogModel::Accept() {
    if (ApplyAspectChoice()) {
        FillProfileList();
    }
    job_.profileIndex = selectedRow_ >= 0 ? rows_[static_cast<std::size_t>(selectedRow_)].index : 0;
    job_.chosenMethod =
        highQuality_ ? ReconstructionMethod::kQuality : ReconstructionMethod::kStandard;
}

}  // namespace lumivex
