#include "zel/host/data/DataSource.h"

namespace zel::host {

const TClassInfo& TDataSource::StaticClass() {
    static const TClassInfo info{
        "TDataSource",
        &TComponent::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TDataSource(owner); },
        {ComponentProp<TDataSource, TDataSet>("DataSet", &TDataSource::DataSet,
                                              &TDataSource::SetDataSet)}};
    return info;
}

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet_ != nullptr && dataSet_ != dataSet) {
        RemoveFreeNotification(dataSet_);
    }
    dataSet_ = dataSet;
    if (dataSet_ != nullptr) {
        FreeNotification(dataSet_);
    }
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == dataSet_) {
        dataSet_ = nullptr;
    }
}

} // namespace zel::host
