#pragma once

#include "photos/photo_context.h"
#include "photos/subject.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace fotarel {

inline const QString kPhotoFilter = QStringLiteral("添加相片文件(JPG)|*.jpg;");
inline const QString kImportProgressBar = QStringLiteral("添加相片");

struct SkippedPhoto {
    QString path;
    QString reason;
};

struct ImportReport {
    int imported = 0;
    QList<SkippedPhoto> skipped;
    QString refusal;            // set when the batch was refused
    QStringList brokenPackages; // template movies that could not be unpacked
};

// The message naming the skipped files and why.
QString skippedPhotosMessage(const QList<SkippedPhoto>& skipped);

// One photo batch, in order: measure (size from the header, orientation),
// fit, work folders, ending template, thumbnails, crops, list rebuild. Files
// that cannot be decoded are left out of the batch and listed in one message
// at the end; when the templates lack what the batch needs, the batch is
// refused with a message and nothing changes. Thumbnails and crops of
// different photos are made in parallel; tables, counters and files end as
// the sequential order gives them.
ImportReport importPhotos(PhotoContext& context, const QStringList& files);

struct PhotoFilesReport {
    QStringList brokenPackages; // template movies that could not be unpacked
    QList<SkippedPhoto> failed; // photos whose picture could not be made
    QStringList cropsReset;     // photos whose hand crop no longer fitted them
};

// The message naming the photos whose hand crop was dropped because the
// file is now a photo of another size.
QString cropsResetMessage(const QStringList& photos);

// Makes the working files of the photo table's rows from `firstRow` on,
// whose templates are already drawn: their groups' work folders, the ending
// template, thumbnails (taken from `readyThumbnail` where it gives one, else
// decoded) and the cropped pictures (around the subject `readySubject`
// gives where it gives one, else around the one found on the crop's decode), cut by the album's crop rule (or by
// the hand crop a row keeps; one that belongs to a photo of another size
// is dropped, and one message names those photos); the part of each photo
// used goes into its row. `advance` runs once for the work
// folders and once per thumbnail and crop.
PhotoFilesReport makePhotoFiles(PhotoContext& context, int firstRow, const std::function<void()>& advance = {},
                                const std::function<QImage(int row)>& readyThumbnail = {},
                                const std::function<std::optional<Subject>(int row)>& readySubject = {});

// The photos area's "添加相片": the file dialog, then the import in the
// import window, then the tiles. Returns false when the dialog was cancelled.
bool addPhotosCommand(PhotoContext& context);

// Rebuilds the visible photo list from the photo table and renumbers the
// photo table's captions.
void rebuildVisibleList(Session& session, const std::function<void()>& pump = {});

// The visible-list row of a photo table row.
Row visibleRowFor(const Row& photo, int number);

} // namespace fotarel
