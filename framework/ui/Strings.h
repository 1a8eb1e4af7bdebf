#pragma once
// A list of GBK text lines that a control shows (tab captions, list rows), stored as the
// dotted property "X.Strings". The owning control listens to Changed and redraws.

#include "framework/Persistent.h"

#include <QByteArray>
#include <QByteArrayList>

namespace orlenth {

class TStrings : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QByteArrayList Strings READ Strings WRITE SetStrings)

public:
    explicit TStrings(QObject* parent = nullptr) : TPersistent(parent) {}

    const QByteArrayList& Strings() const { return strings_; }
    // Replaces every line at once (one change notification).
    void SetStrings(const QByteArrayList& strings);
    int Count() const { return static_cast<int>(strings_.size()); }
    // EListError "List index out of bounds (%d)" for an index outside 0 … Count() − 1.
    const QByteArray& Get(int index) const;
    // Returns the index of the new line.
    int Add(const QByteArray& line);
    void Clear();
    // Copies another TStrings' lines; anything else is EConvertError.
    void Assign(const TPersistent* source) override;

signals:
    void Changed();

private:
    QByteArrayList strings_;
};

} // namespace orlenth
