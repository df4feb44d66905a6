#pragma once

// How a self-drawn view scrolls: a line, a page, or to a thumb position.
enum class ScrollStep { LineUp, LineDown, PageUp, PageDown, Thumb, None };

// The step of a scroll bar's action (QAbstractSlider::SliderAction).
ScrollStep ScrollStepOf(int sliderAction);
