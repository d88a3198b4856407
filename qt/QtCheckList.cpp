#include "zel/qt/QtCheckList.h"

#include "zel/qt/QtText.h"

#include <QPointer>

namespace zel::qt {

namespace {

class CheckListMirror : public QObject {
public:
    CheckListMirror(QListWidget& list, host::TCheckListBox& box)
        : QObject(&list), list_(&list), box_(&box) {
        Rebuild();
        connection_ = box.Subscribe([this](const host::TChange& c) { Changed(c); });
        connect(&list, &QListWidget::itemChanged, this,
                [this](QListWidgetItem* item) { UserChanged(item); });
        connect(&list, &QListWidget::currentRowChanged, this, [this](int row) {
            if (!updating_ && box_ != nullptr && row != box_->ItemIndex() && row < box_->Count()) {
                box_->SetItemIndex(row);
            }
        });
    }

private:
    // Model changes are copied without reading them back as the user's.
    class Updating {
    public:
        explicit Updating(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
        ~Updating() { flag_ = was_; }

    private:
        bool& flag_;
        bool was_;
    };

    QListWidgetItem* MakeRow(int row) {
        auto* item = new QListWidgetItem(ToQString(box_->Items().Strings(row)));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(box_->Checked(row) ? Qt::Checked : Qt::Unchecked);
        return item;
    }

    void Rebuild() {
        Updating guard(updating_);
        list_->clear();
        for (int row = 0; row < box_->Count(); ++row) {
            list_->addItem(MakeRow(row));
        }
        list_->setCurrentRow(box_->ItemIndex());
        list_->setEnabled(box_->Enabled());
        list_->setHidden(!box_->Visible());
    }

    void Changed(const host::TChange& c) {
        if (list_ == nullptr) {
            return;
        }
        Updating guard(updating_);
        switch (c.kind) {
        case host::TChangeKind::Checked:
            if (QListWidgetItem* item = list_->item(c.index)) {
                item->setCheckState(box_->Checked(c.index) ? Qt::Checked : Qt::Unchecked);
            }
            break;
        case host::TChangeKind::ItemInserted:
            list_->insertItem(c.index, MakeRow(c.index));
            break;
        case host::TChangeKind::ItemRemoved:
            if (c.index < 0) {
                list_->clear();
            } else {
                delete list_->takeItem(c.index);
            }
            break;
        case host::TChangeKind::Caption:
            if (c.index < 0) {
                break; // the box's own caption: a list shows none
            }
            if (QListWidgetItem* item = list_->item(c.index)) {
                item->setText(ToQString(box_->Items().Strings(c.index)));
            }
            break;
        case host::TChangeKind::ItemIndex:
            list_->setCurrentRow(box_->ItemIndex());
            break;
        case host::TChangeKind::Enabled:
        case host::TChangeKind::Visible:
            list_->setEnabled(box_->Enabled());
            list_->setHidden(!box_->Visible());
            break;
        case host::TChangeKind::Destroying:
            box_ = nullptr;
            connection_.Disconnect();
            list_->setEnabled(false);
            break;
        case host::TChangeKind::Imposed:
            break; // a provider's notice; a list box sends none
        }
    }

    // The user flipped a check: put the widget back as the model has it, then let the
    // model's own toggle decide, whose notices then show the result.
    void UserChanged(QListWidgetItem* item) {
        if (updating_ || box_ == nullptr) {
            return;
        }
        const int row = list_->row(item);
        if (row < 0 || row >= box_->Count()) {
            return;
        }
        {
            Updating guard(updating_);
            item->setCheckState(box_->Checked(row) ? Qt::Checked : Qt::Unchecked);
        }
        box_->ToggleRow(row);
    }

    QPointer<QListWidget> list_;
    host::TCheckListBox* box_;
    host::TConnection connection_;
    bool updating_ = false;
};

} // namespace

QListWidget* RenderCheckList(host::TCheckListBox& box, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(ToQString(box.Name()));
    new CheckListMirror(*list, box);
    return list;
}

void BindCheckList(host::TCheckListBox& box, QListWidget& list) {
    new CheckListMirror(list, box);
}

} // namespace zel::qt
