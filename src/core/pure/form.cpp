#include "core/pure/form.h"

#include <algorithm>

namespace sarvo {

std::vector<const ControlSpec*> FocusOrder(const FormSpec& form) {
    std::vector<const ControlSpec*> order;
    for (const ControlSpec& c : form.controls)
        if (TakesFocus(c)) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

}  // namespace sarvo
