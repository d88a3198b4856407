#include "zel/host/data/DataSet.h"

#include "zel/host/core/CaseFold.h"
#include "zel/host/core/Errors.h"

namespace zel::host {

TField::TField(TDataSet& dataset, std::string fieldName)
    : dataset_(dataset), fieldName_(std::move(fieldName)) {}

void TField::SetAsVariant(const TVariant& value) {
    if (dataset_.State() != dsEdit) {
        throw EDatabaseError(dataset_.DisplayName() + " is not in edit mode");
    }
    value_ = value;
    modified_ = true;
}

const TClassInfo& TDataSet::StaticClass() {
    static const TClassInfo info{"TDataSet", &TComponent::StaticClass(), nullptr, {}};
    return info;
}

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

// Concrete datasets close themselves in their own destructor, while InternalClose is
// still theirs; by now only the fields are left.
TDataSet::~TDataSet() = default;

void TDataSet::Open() {
    if (Active()) {
        return;
    }
    std::vector<std::string> names = InternalOpen();
    try {
        fields_.clear();
        fieldIndex_.clear();
        for (std::size_t i = 0; i < names.size(); ++i) {
            fields_.push_back(std::make_unique<TField>(*this, names[i]));
            fieldIndex_.emplace(FoldCase(names[i]), static_cast<int>(i));
        }
        state_ = dsBrowse;
        First();
    } catch (...) {
        state_ = dsInactive;
        fields_.clear();
        fieldIndex_.clear();
        InternalClose();
        throw;
    }
}

void TDataSet::Close() {
    if (!Active()) {
        return;
    }
    state_ = dsInactive;
    eof_ = true;
    hasRecord_ = false;
    fields_.clear();
    fieldIndex_.clear();
    InternalClose();
}

void TDataSet::SetActive(bool active) {
    if (Loading()) {
        streamedActive_ = active;
        return;
    }
    if (active) {
        Open();
    } else {
        Close();
    }
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (streamedActive_) {
        streamedActive_ = false;
        Open();
    }
}

void TDataSet::CheckActive() const {
    if (!Active()) {
        throw EDatabaseError("Cannot perform this operation on a closed dataset (" + DisplayName() +
                             ")");
    }
}

void TDataSet::CheckInactive(const char* property) const {
    if (Active()) {
        throw EDatabaseError(std::string("Cannot change ") + property + " of " + DisplayName() +
                             " while it is open");
    }
}

void TDataSet::RaiseReadOnly() const {
    const std::string why = WhyReadOnly();
    throw EDatabaseError("Cannot modify a read-only dataset (" + DisplayName() + ")" +
                         (why.empty() ? "" : ": " + why));
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (state_ == dsEdit) {
        Post(); // raises, and stays in edit mode, when the record cannot be saved
    }
}

void TDataSet::LoadRecord(std::vector<TVariant>& values) {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        TField& f = *fields_[i];
        f.value_ = i < values.size() ? std::move(values[i]) : TVariant();
        f.oldValue_ = f.value_;
        f.modified_ = false;
    }
}

// The values as the source now holds them: they become every field's old value, and the
// value of each field that was not assigned, so that assigned values survive for a retry.
void TDataSet::LoadStoredValues(std::vector<TVariant>& values) {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        TField& f = *fields_[i];
        f.oldValue_ = i < values.size() ? std::move(values[i]) : TVariant();
        if (!f.modified_) {
            f.value_ = f.oldValue_;
        }
    }
}

void TDataSet::First() {
    CheckBrowseMode();
    buffer_.clear();
    hasRecord_ = InternalFirst(buffer_);
    eof_ = !hasRecord_;
    LoadRecord(buffer_); // without a record, buffer_ is empty and the fields read as NULL
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    buffer_.clear();
    hasRecord_ = InternalRefresh(buffer_);
    eof_ = !hasRecord_;
    LoadRecord(buffer_);
}

void TDataSet::Next() {
    CheckBrowseMode();
    if (eof_) {
        return;
    }
    buffer_.clear();
    if (InternalNext(buffer_)) {
        LoadRecord(buffer_);
    } else {
        eof_ = true;
    }
}

namespace {
// The search's one comparison: the field read as text equals `text` byte for byte. Foreign
// text (characters the host's text setting has not) equals no text.
bool ReadsAs(const TField& field, const std::string& text) {
    return !field.IsNull() && !field.AsVariant().IsForeign() && field.AsString() == text;
}
} // namespace

bool TDataSet::Locate(const std::string& fieldName, const std::string& text) {
    CheckBrowseMode();
    if (auto it = fieldIndex_.find(FoldCase(fieldName)); it != fieldIndex_.end()) {
        buffer_.clear();
        if (const std::optional<bool> found = InternalLocate(it->second, text, buffer_)) {
            hasRecord_ = !buffer_.empty();
            eof_ = !*found;
            LoadRecord(buffer_);
            // What the database found is checked again by the loop's own comparison: a
            // damaged index can point at another record, which must never pass for this one.
            const TField& f = *fields_[static_cast<std::size_t>(it->second)];
            if (*found && !ReadsAs(f, text)) {
                throw EDatabaseDamaged(DisplayName() + " is damaged: the record found for " +
                                       fieldName + " holds another value");
            }
            return *found;
        }
    }
    for (First(); !Eof(); Next()) {
        if (ReadsAs(FieldByName(fieldName), text)) {
            return true;
        }
    }
    return false;
}

bool TDataSet::Eof() const {
    CheckActive();
    return eof_;
}

int TDataSet::FieldCount() const {
    return static_cast<int>(fields_.size());
}

TField& TDataSet::Fields(int index) {
    CheckActive();
    if (index < 0 || index >= FieldCount()) {
        throw EDatabaseError("Field index " + std::to_string(index) + " out of range in " +
                             DisplayName());
    }
    return *fields_[static_cast<std::size_t>(index)];
}

TField* TDataSet::FindField(const std::string& name) {
    auto it = fieldIndex_.find(FoldCase(name));
    return it == fieldIndex_.end() ? nullptr : fields_[static_cast<std::size_t>(it->second)].get();
}

TField& TDataSet::FieldByName(const std::string& name) {
    CheckActive();
    TField* field = FindField(name);
    if (field == nullptr) {
        throw EDatabaseError("Field '" + name + "' not found in " + DisplayName());
    }
    return *field;
}

void TDataSet::Edit() {
    CheckActive();
    if (state_ == dsEdit) {
        return;
    }
    if (!CanModify()) {
        RaiseReadOnly();
    }
    if (!hasRecord_) {
        throw EDatabaseError("Cannot edit " + DisplayName() + ": it has no current record");
    }
    state_ = dsEdit;
}

void TDataSet::Post() {
    CheckActive();
    if (state_ != dsEdit) {
        throw EDatabaseError(DisplayName() + " is not in edit mode");
    }
    std::vector<const TField*> changed;
    std::vector<const TField*> read;
    std::vector<TField*> targets;
    for (const auto& f : fields_) {
        read.push_back(f.get());
        if (f->modified_) {
            changed.push_back(f.get());
            targets.push_back(f.get());
        }
    }
    if (!changed.empty()) {
        std::vector<TVariant> stored;
        try {
            InternalPost(changed, read,
                         stored); // raises: stay in edit mode with the values assigned
        } catch (const ERecordChanged&) {
            // Show what is stored now, so that the next load does not offer the stale record.
            buffer_.clear();
            if (InternalReread(buffer_)) {
                LoadStoredValues(buffer_);
            }
            throw;
        }
        for (std::size_t i = 0; i < targets.size() && i < stored.size(); ++i) {
            targets[i]->value_ = std::move(stored[i]);
        }
    }
    for (const auto& f : fields_) {
        f->oldValue_ = f->value_;
        f->modified_ = false;
    }
    state_ = dsBrowse;
}

bool TDataSet::AppendUnique(const std::vector<TFieldValue>& values, const std::string& unique) {
    CheckBrowseMode();
    if (!CanModify()) {
        RaiseReadOnly();
    }
    std::size_t at = values.size();
    for (std::size_t i = 0; i < values.size(); ++i) {
        FieldByName(values[i].field); // raises for a field the table has not
        if (FoldCase(values[i].field) == FoldCase(unique)) {
            at = i;
        }
    }
    if (at == values.size()) {
        throw EDatabaseError("AppendUnique of " + DisplayName() + " needs a value for " + unique);
    }
    return InternalAppendUnique(values, at);
}

void TDataSet::Delete() {
    CheckBrowseMode();
    if (!hasRecord_) {
        throw EDatabaseError(DisplayName() + " has no current record to delete");
    }
    if (!CanModify()) {
        RaiseReadOnly();
    }
    std::vector<const TField*> read;
    for (const auto& f : fields_) {
        read.push_back(f.get());
    }
    try {
        InternalDelete(read);
    } catch (const ERecordChanged&) {
        buffer_.clear();
        if (InternalReread(buffer_)) {
            LoadStoredValues(buffer_);
        }
        throw;
    }
    Refresh();
}

void TDataSet::Cancel() {
    if (state_ != dsEdit) {
        return;
    }
    for (const auto& f : fields_) {
        f->value_ = f->oldValue_;
        f->modified_ = false;
    }
    state_ = dsBrowse;
}

std::string TDataSet::DisplayName() const {
    return Name().empty() ? "dataset" : "dataset " + Name();
}

} // namespace zel::host
