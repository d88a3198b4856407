#pragma once
// TDataSource: the link from data-aware components to a dataset. The link is cleared
// when the dataset is destroyed.

#include "zel/host/core/Component.h"
#include "zel/host/data/DataSet.h"

namespace zel::host {

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* owner);

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TDataSet* dataSet_ = nullptr;
};

} // namespace zel::host
