#include "app/demo.h"

#include <GL/glew.h>

#include "app/arm.h"
#include "render/quarn.h"
#include "windowing/context.h"
#include "windowing/orv.h"

Demo start_demo() {
    build_arm();
    Orv::init();
    context = new Orv::Context(4, 0, false);
    Quarn::init();
    glClearColor(0, 0, 0, 1);
    glEnable(GL_PROGRAM_POINT_SIZE);

    Demo demo;
    demo.frame = new MyFrame();
    context->set_frame(demo.frame);
    context->set_vsync(false);
    demo.pacer = std::make_unique<Orv::FramePacer>(10);
    return demo;
}

void stop_demo(Demo& demo) {
    delete demo.frame;
    demo.frame = nullptr;
    Quarn::deinit();
    delete context;
    context = nullptr;
    // The pacer outlives the context: it is the last thing of the loop to go.
    demo.pacer.reset();
    Orv::deinit();
    delete arm;
    arm = nullptr;
    effector = nullptr;
}
