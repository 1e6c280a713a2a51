// Builds the pages of the step container.
#pragma once

namespace lumivex {

class StepContainer;
class WorkflowHost;

// Registers the pages in the order Start, Selection, Enhance, Video.
void CreateWorkflowPages(StepContainer& container, WorkflowHost& host);

}  // namespace lumivex
