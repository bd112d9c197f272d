#pragma once

#include <QString>

#include <memory>

namespace kelpora {

class ImageArea;
class PictureCache;

// What a child window reads of the record window that opened it: the number its
// record-number field shows and its tide chart and map areas. The browser and the entry
// window say it of themselves, so the tide and picture windows need not know them.
class RecordOpener {
public:
    virtual ~RecordOpener() = default;

    virtual QString recordNumberText() const = 0;
    virtual ImageArea* chartArea() const = 0;
    virtual ImageArea* mapArea() const = 0;
    // The pictures the opener has already read and drawn, for a child to share.
    virtual std::shared_ptr<PictureCache> pictureCache() const { return nullptr; }
};

// The window references of the browser (FishdataF) and the entry window (FishDataIn), as
// a child reads them: each of the two windows points its slot at its own reference when
// it is made, so a child sees the reference itself, set or cleared, through the interface.
namespace openers {

using Reference = RecordOpener* (*)();

void pointBrowser(Reference reference);
void pointEntry(Reference reference);

RecordOpener* browser(); // nullptr while FishdataF is not set
RecordOpener* entry(); // nullptr while FishDataIn is not set

} // namespace openers

} // namespace kelpora
