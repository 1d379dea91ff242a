// The picture of one slice of an export file: the element materials and the potential of the
// same plane side by side, under a title that names the file and the plane; a file of
// potentials only gets the potential alone, on its grid of node indices. Painting text needs a
// QGuiApplication (the font database); the program makes one before it asks for a picture.
#ifndef BRENWICK_RENDER_SLICE_PICTURE_H
#define BRENWICK_RENDER_SLICE_PICTURE_H

#include "fieldmap/slice.h"
#include "picture_sizes.h"
#include "plot_area.h"
#include "potential_panel.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace brenwick::render {

inline constexpr QSize kSmallestPictureSize{kSmallestPicture.width, kSmallestPicture.height};
inline constexpr QSize kLargestPictureSize{kLargestPicture.width, kLargestPicture.height};

struct SlicePicture {
    QImage image;
    QString title;                         // whole, also where the picture shows it shortened
    std::optional<PlotArea> materials;     // absent when the slice has no element layer
    std::vector<QColor> material_colours;  // one per record, as the legend shows them
    PotentialPanel potential;
};

// The size of a picture `width` pixels wide whose height suits the shape of the slice, so that
// a flat plane makes a flat picture; within the smallest and largest sizes. Throws as
// fieldmap::CheckDrawable does.
QSize FittedPictureSize(const fieldmap::Slice& slice, int width = kDefaultPictureWidth);

// Whether a picture shows its title above the panels, or leaves that line to the window that
// shows the picture, which then has the room for the plots.
enum class TitleLine { drawn, left_out };

// Draws the slice of the file named file_name (for the title) into a picture of `size` pixels,
// with text sizes as PictureStyle gives them for `text_scale`; a title too long for the width
// is shortened in the middle. Throws std::invalid_argument for a size outside the smallest and
// largest sizes, and as fieldmap::CheckDrawable does.
SlicePicture RenderSlice(const fieldmap::Slice& slice, const QString& file_name, QSize size,
                         std::optional<double> text_scale = std::nullopt, TitleLine title_line = TitleLine::drawn);

}  // namespace brenwick::render

#endif
