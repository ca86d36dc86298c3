#include "app/CVizmarApp.h"

int main(int argc, char** argv)
{
    CVizmarApp app(argc, argv);
    app.InitInstance();
    return 0;
}
