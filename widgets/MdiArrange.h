// Arranging the icons of a multiple-document area's minimised windows.
#pragma once

class QMdiArea;

namespace pm::widgets {

// Lays the minimised child windows of `area` side by side along the bottom
// of the area, left to right in the order they were opened; a row that is
// full goes on above the one before. Other child windows stay where they are.
void ArrangeIcons(QMdiArea* area);

}  // namespace pm::widgets
