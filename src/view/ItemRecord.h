#pragma once

// What the unarchiver hands out for the record of a text box or a graphic:
// the decoded item, for whoever adopts it first (a record listed twice in a
// damaged file gives its item once). T has archiveClassName(),
// encodeWithCoder() and a static initWithCoder(coder, damage) that gives
// nothing, with the reason, for a damaged record.

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QString>

#include <functional>
#include <memory>

template <class T> class ItemRecord : public ArchivableObject {
public:
    explicit ItemRecord(std::unique_ptr<T> item)
            : item_(std::move(item))
    {
    }
    std::unique_ptr<T> take() { return std::move(item_); }
    QString className() const override { return T::archiveClassName(); }
    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        if (item_)
            item_->encodeWithCoder(coder);
    }

    // Lets the unarchiver read records of T; a damaged record reads as no
    // object and its reason goes to onDamage.
    static void registerClass(KeyedUnarchiver& coder, std::function<void(const QString&)> onDamage)
    {
        coder.registerClass(T::archiveClassName(),
                            [onDamage](KeyedUnarchiver& c) -> std::unique_ptr<ArchivableObject> {
                                QString why;
                                auto item = T::initWithCoder(c, &why);
                                if (!item) {
                                    if (onDamage)
                                        onDamage(why);
                                    return nullptr;
                                }
                                return std::make_unique<ItemRecord<T>>(std::move(item));
                            });
    }

private:
    std::unique_ptr<T> item_;
};
