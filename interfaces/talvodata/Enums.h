#pragma once

#include "platform/com/Types.h"

/// How the centre of a target face is filled when it is drawn.
enum enumTargetFillCenter : LONG {
    NoFill = 0,
    FillCenter = 1,
    FillInnerTen = 2,
};

/// The shape of a target element; the values are stored in event files.
enum enumTargetElementType : LONG {
    elementPolyline = 0,
    elementEllipse = 1,
    elementPicture = 2,
    elementRectangle = 3,
    elementPolygon = 4,
    elementText = 5,
};
