#include <GL/glew.h>

#include "app/arm.h"
#include "app/my_frame.h"
#include "render/quarn.h"
#include "windowing/context.h"
#include "windowing/frame_pacer.h"
#include "windowing/orv.h"

int main(int, char**) {
    build_arm();
    Orv::init();
    context = new Orv::Context(4, 0, false);
    Quarn::init();
    glClearColor(0, 0, 0, 1);
    glEnable(GL_PROGRAM_POINT_SIZE);

    MyFrame* frame = new MyFrame();
    context->set_frame(frame);
    context->set_vsync(false);
    {
        // The pacer outlives the context: it is the last thing of the loop to go.
        Orv::FramePacer pacer(10);
        while (running) {
            Orv::poll_events();
            update_arm();
            frame->redraw(true);
            pacer.pace(60.0);
        }

        delete frame;
        Quarn::deinit();
        delete context;
        context = nullptr;
    }
    Orv::deinit();
    delete arm;
    arm = nullptr;
    effector = nullptr;
    return 0;
}
