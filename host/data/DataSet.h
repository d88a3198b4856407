#pragma once
// TDataSet: a cursor over the records of a table, with TField values for the current
// record. Concrete datasets (TSQLiteTable) supply the Internal* steps. Every operation
// that cannot be done raises EDatabaseError with a message naming what was wrong.

#include "zel/host/core/Component.h"
#include "zel/host/text/Variant.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zel::host {

class TDataSet;

enum TDataSetState { dsInactive, dsBrowse, dsEdit };

class TField {
public:
    TField(TDataSet& dataset, std::string fieldName);

    const std::string& FieldName() const { return fieldName_; }
    TDataSet& DataSet() const { return dataset_; }

    /// The value as text (see VarToStr: NULL reads as empty text).
    std::string AsString() const { return VarToStr(value_); }
    const TVariant& AsVariant() const { return value_; }
    /// Assigns a new value; the dataset must be in edit mode.
    void SetAsVariant(const TVariant& value);
    bool IsNull() const { return value_.IsNull(); }

    /// The value as read from the record, before any assignment.
    const TVariant& OldValue() const { return oldValue_; }
    bool Modified() const { return modified_; }

private:
    friend class TDataSet;
    TDataSet& dataset_;
    std::string fieldName_;
    TVariant value_;
    TVariant oldValue_;
    bool modified_ = false;
};

class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* owner);
    ~TDataSet() override;

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    void Open();
    void Close();
    bool Active() const { return state_ != dsInactive; }
    /// While the form is being read, opening waits for Loaded.
    void SetActive(bool active);
    /// The Active property: while loading, the value read from the form.
    bool GetActive() const { return Loading() ? streamedActive_ : Active(); }
    TDataSetState State() const { return state_; }

    /// Moves to the first record; Eof() is then true only for an empty dataset. Like every
    /// move, it first posts a record being edited; when that post fails it raises and the
    /// record stays in edit mode.
    void First();
    /// Moves to the next record; past the last one Eof() becomes true and the last record
    /// stays current.
    void Next();
    /// Reads the current record again from the source, as it is stored now: the same record
    /// (by its row id), or the next one when it is gone, or the last one when nothing
    /// follows it. Posts a record being edited first.
    void Refresh();
    bool Eof() const;
    /// Moves to the first record whose field `fieldName` is not NULL and reads as `text`
    /// (AsString, byte for byte) and returns true. Without one it returns false with the
    /// last record current and Eof() true. That is where First, Next and the comparison
    /// would leave the cursor, and it raises where they would (no such field in a table
    /// that has records); a source may only find the record faster, through an index or
    /// by reading just that field while it moves.
    bool Locate(const std::string& fieldName, const std::string& text);

    int FieldCount() const;
    TField& Fields(int index);
    /// The field of that name (letter case ignored); raises when there is none.
    TField& FieldByName(const std::string& name);
    TField* FindField(const std::string& name);

    /// Enters edit mode for the current record.
    void Edit();
    /// Writes the assigned fields of the current record and returns to browse mode. When it
    /// fails the dataset stays in edit mode, with the assigned values, for Cancel or retry.
    /// When another user changed the record since it was read, it raises ERecordChanged
    /// after reading the record again: the fields' old values (and every field not
    /// assigned) then hold what is stored now, so Cancel shows that.
    void Post();
    /// Drops the assigned values and returns to browse mode.
    void Cancel();
    /// Whether Edit can succeed at all (open and writable).
    virtual bool CanModify() const = 0;

    /// One field's value for AppendUnique.
    struct TFieldValue {
        std::string field;
        TVariant value;
    };
    /// Adds a record holding `values` (each other field gets its column's default), unless
    /// a record whose field `unique` reads as the value given for it (byte for byte, as
    /// Locate compares) exists already: then false, and nothing is written. The check and
    /// the write are one transaction, so two programs adding the same value cannot both
    /// succeed. The current record stays where it was.
    bool AppendUnique(const std::vector<TFieldValue>& values, const std::string& unique);
    /// Deletes the current record, if it still holds every field as it was read; otherwise
    /// raises ERecordChanged after reading it again, and deletes nothing. Then the next
    /// record is current (the last one when none follows), as Refresh would leave it.
    void Delete();

    void Loaded() override;

protected:
    /// Opens the source and returns the field names; the first record is then fetched
    /// through InternalFirst.
    virtual std::vector<std::string> InternalOpen() = 0;
    virtual void InternalClose() = 0;
    /// Fetch the first / next record into `values` (one per field); false when none.
    virtual bool InternalFirst(std::vector<TVariant>& values) = 0;
    virtual bool InternalNext(std::vector<TVariant>& values) = 0;
    /// Write `changed` (the modified fields) into the current record, or raise. The record
    /// must still be the one read: every field in `read` (all of them, changed or not)
    /// still holding its OldValue, else ERecordChanged (another record may have taken its
    /// place). On success `stored` holds each changed field's value as the source now
    /// keeps it.
    virtual void InternalPost(const std::vector<const TField*>& changed,
                              const std::vector<const TField*>& read,
                              std::vector<TVariant>& stored) = 0;
    /// AppendUnique's write, `unique` an index into `values`; false when a record holds
    /// that value already.
    virtual bool InternalAppendUnique(const std::vector<TFieldValue>& values,
                                      std::size_t unique) = 0;
    /// Delete the current record when every field in `read` still holds its OldValue, else
    /// raise ERecordChanged.
    virtual void InternalDelete(const std::vector<const TField*>& read) = 0;
    /// Read the current record again into `values`; false when it no longer exists.
    virtual bool InternalReread(std::vector<TVariant>& values) = 0;
    /// Re-position after a refresh: fetch the current record, or the next, or the last one
    /// (see Refresh); false when the source holds no record at all.
    virtual bool InternalRefresh(std::vector<TVariant>& values) = 0;
    /// Locate's search in the source, for field `field`: fills `values` with the record
    /// found, or the last record when none matches (nothing when the source is empty),
    /// and says whether it found one; none at all when the source has no faster way
    /// than First and Next.
    virtual std::optional<bool> InternalLocate(int field, const std::string& text,
                                               std::vector<TVariant>& values) {
        (void)field, (void)text, (void)values;
        return std::nullopt;
    }
    /// Names the dataset in messages.
    virtual std::string DisplayName() const;
    /// Why an open dataset cannot be written, when it is not for the usual reasons.
    virtual std::string WhyReadOnly() const { return {}; }

    void CheckActive() const;
    /// Before a property of the source changes: raises while the dataset is open.
    void CheckInactive(const char* property) const;
    /// Raises "Cannot modify a read-only dataset", saying why when WhyReadOnly does.
    [[noreturn]] void RaiseReadOnly() const;
    /// Before a move: posts a record being edited, as the host's datasets do.
    void CheckBrowseMode();

private:
    friend class TField;
    void LoadRecord(std::vector<TVariant>& values);
    void LoadStoredValues(std::vector<TVariant>& values);

    TDataSetState state_ = dsInactive;
    bool eof_ = true;
    bool hasRecord_ = false;
    bool streamedActive_ = false;
    std::vector<std::unique_ptr<TField>> fields_;
    std::unordered_map<std::string, int> fieldIndex_; // folded name -> index
    std::vector<TVariant> buffer_;
};

} // namespace zel::host
