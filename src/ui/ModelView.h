#pragma once

// A window that shows the state of a headless model. Before a message box, a file
// dialog or another window opens over it, the prompter renders every shown one,
// so the user sees the state the question is about (a failure text set just
// before its box, say).
class ModelView {
  public:
    virtual ~ModelView() = default;
    virtual void render() = 0;
};
