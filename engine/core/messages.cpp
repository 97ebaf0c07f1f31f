// The built-in message table and how a shown message is composed.

#include "messages.h"

namespace kestle {

void set_messages(Messages &m) {
    static const struct {
        int no;
        const char *text;
    } entries[] = {
        {2, "Reading control file"},
        {3, "Error reading control file"},
        {4, "Connecting to database: "},
        {5, "Starting ZAL"},
        {6, "Cannot connect to ZAL.  Is userid/password correct?"},
        {7, "ZAL Started - Attempting connection"},
        {8, "Connected to Database: "},
        {11, "SQL Completed successfully"},
        {12, "No records found"},
        {13, "No connection exists"},
        {14, "No SQL supplied"},
        {15, "Maximum records exceeded"},
        {20, "No arguments supplied"},
        {21, "Invalid keyword="},
        {22, "File not found: "},
        {23, "New SQL file loaded: "},
        {24, "Running ..."},
        {25, "File erased: "},
        {26, "Command executed"},
        {27, "ZAL Command executed"},
        {28, "Maximum output record length exceeded - reduce the number of columns"},
        {29, "Maximum number of SQL Windows open!"},
        {30, "Plot: No data currently in output window to plot"},
        {31, "Plot: Invalid Labels or Data value supplied for PIE chart"},
        {32, "Plot: Invalid Labels or Data value supplied for BAR chart"},
        {33, "Plot: Invalid Group, Labels or Data value supplied for LINE chart"},
        {34, "Cmd: Command failed "},
        {40, "Error Connecting to database: "},
        {41, "No ending quote found in command string"},
        {42, "Error executing RUNSTATS. SQLCODE="},
        {100, "MS Sans Serif"},
        {110, "ZAL MST Demonstration Program"},
        {120, "ZAL Meridian Store"},
        {121, "Performance"},
        {122, "Execute the SQL Statement"},
        {123, "Retrieve the last command"},
        {124, "Clear SQL Input window"},
        {125, "Stop automatic execution"},
        {126, "Graph SQL performance"},
        {127, "Help Information"},
        {128, "Set program options"},
        {129, "Plot Menu"},
        {130, "Return to Presentation"},
        {131, "Start/Stop automatic playback"},
        {140, "ESC for Clear"},
        {141, "ENTER for Run"},
        {142, "Checkbox Selection"},
        {143, "Automatic Plotting"},
        {144, "Maximize Screen"},
        {145, "Maximum Output"},
        {146, "SQL Font"},
        {147, "SQL Font Size"},
        {148, "Command Font"},
        {149, "Command Font Size"},
        {150, "Playback"},
        {151, "Wait for user"},
        {152, "Show Help Panels"},
        {153, "Wait Time"},
        {154, "Trace Options"},
        {155, "Trace Errors Only"},
        {156, "Trace SQL statements"},
        {157, "Trace ALL statements"},
        {158, "Tracing off"},
        {159, "Load SQL File"},
        {160, "Picture Viewer"},
        {161, "ZALDemo Help"},
        {162, "Text Viewer"},
        {163, "ZALDemo"},
        {164, "Performance Plot"},
        {165, "SQL Performance"},
        {175, "Load SQL File"},
        {176, "Load"},
        {177, "Cancel"},
        {178, "Query by Image Colors"},
        {180, "Plot of Query Results"},
        {181, "Plot Type"},
        {182, "Grouping Column"},
        {183, "Labels"},
        {184, "Data Values"},
        {185, "Plot data"},
        {193, "Dialog"},
        {194, "OK"},
        {195, "Cancel"},
    };
    for (const auto &e : entries)
        m.msg_text[e.no] = e.text;
}

std::string compose_msg(const Messages &m, int kind, int msgno, const std::string &text) {
    if (kind != show_entry)
        return text;
    if (msgno < 1 || msgno > Messages::size)
        return text;
    return m.msg_text[msgno] + text;
}

} // namespace kestle
