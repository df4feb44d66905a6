#include "gui/views/ScrollStep.h"

#include <QAbstractSlider>

ScrollStep ScrollStepOf(int sliderAction)
{
    switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollStep::LineUp;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollStep::LineDown;
    case QAbstractSlider::SliderPageStepSub: return ScrollStep::PageUp;
    case QAbstractSlider::SliderPageStepAdd: return ScrollStep::PageDown;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum: return ScrollStep::Thumb;
    default: return ScrollStep::None;
    }
}
