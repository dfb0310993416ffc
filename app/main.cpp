#include "app/arm.h"
#include "app/demo.h"
#include "app/my_frame.h"
#include "windowing/orv.h"

int main(int, char**) {
    Demo demo = start_demo();
    while (running) {
        Orv::poll_events();
        update_arm();
        demo.frame->redraw(true);
        demo.pacer->pace(60.0);
    }
    stop_demo(demo);
    return 0;
}
