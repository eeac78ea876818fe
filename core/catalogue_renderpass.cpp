// The render window's state: its hidden fields, the template-use and
// template sequence tables, the frame and audio lists and its three logs,
// defined from the render pass's own name lists.
#include "core/session.h"
#include "render/render_names.h"

namespace fotarel {

void defineCatalogue_renderpass(Session& session)
{
    for (const render::PassVariable& v : render::passVariables())
        session.define(v.name, v.initial);
    for (const auto& [name, columns] : render::passTables())
        session.defineTable(name, columns);
}

} // namespace fotarel
