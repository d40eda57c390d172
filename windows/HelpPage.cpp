#include "windows/HelpPage.h"

namespace k7 {

const char* helpPageHtml() {
    return R"HTML(
<h2>K7700 configuration and diagnostic tool</h2>
<p>This program finds K7700 sensors (and their relatives G503/317, G615, Velkor, K7702) on a
serial line, shows the live status of one of them, and reads, edits and programs its
settings.</p>

<h3>Contents</h3>
<ul>
<li><a href="#port">Connecting: the port</a></li>
<li><a href="#search">Finding the sensors</a></li>
<li><a href="#status">The status group</a></li>
<li><a href="#settings">The settings groups</a></li>
<li><a href="#edit">Edit mode and programming</a></li>
<li><a href="#units">Units</a></li>
<li><a href="#temperature">Temperature compensation</a></li>
<li><a href="#faults">Fault messages and what to do</a></li>
<li><a href="#nocomm">When a sensor stops answering</a></li>
<li><a href="#files">Files</a></li>
<li><a href="#cli">The command-line tools</a></li>
</ul>

<h3><a name="port"></a>Connecting: the port</h3>
<p>All sensors share one two-wire line; the computer reaches it through a serial port, usually
a USB&nbsp;serial adapter. On the first start the <b>Communications Port</b> window asks which
port to use; the choice is kept in <code>K7700.ini</code> and used at every start after that.
<b>Advanced Settings</b> &rarr; <b>Comm Port</b> opens the same window at any time: the port
chosen there is searched at once and kept (<b>Cancel</b> or Esc keeps the port in use).</p>
<ul>
<li><b>Comm 1</b> to <b>Comm 4</b> and <b>Comm</b> with a number are the computer's built-in
serial ports: on Linux, Comm&nbsp;N is <code>/dev/ttyS&lt;N-1&gt;</code> (Comm&nbsp;1 is
<code>/dev/ttyS0</code>).</li>
<li><b>Device</b> lists the serial devices the system reports; a USB adapter is usually
<code>/dev/ttyUSB0</code> or <code>/dev/ttyACM0</code>. You can also type a path.</li>
<li>When the port cannot be opened, the window says why, in the system's words:
<ul>
<li><i>No such file or directory</i>: there is no such device. Check that the adapter is
plugged in (<code>ls /dev/ttyUSB*</code> lists adapters) and choose the port it has.</li>
<li><i>Permission denied</i>: your user may not use serial devices. Add it to the
<code>dialout</code> group with <code>sudo usermod -aG dialout $USER</code>, then log out and
in again.</li>
<li><i>In use by another program</i>: close the other program (a terminal program, another
copy of this one) and try again. A lock file left behind by a program that was stopped
(<code>/run/lock/LCK..ttyUSB0</code>) is taken over by itself; when it cannot be, the message
names the file to delete.</li>
</ul></li>
</ul>
<p>A port named on the command line (<code>k7700 --port /dev/ttyUSB0</code>) is used for that
run only; the INI file keeps its own.</p>

<h3><a name="search"></a>Finding the sensors</h3>
<p>At start-up the program asks every ID tag from 1 to 32 whether a sensor answers; this takes
about five seconds. Each sensor must have an ID tag of its own: two sensors with the same tag
answer at once and neither is understood.</p>
<p>When no sensor answers, the search starts again by itself. Check that the sensors are
powered, that the wiring between them and the adapter is intact (and the two wires not
swapped), and that the port is the one the sensors are on; <b>Select New Comm Port</b> chooses
another port, <b>Exit Program</b> ends.</p>
<p>With several sensors the <b>ID Tag</b> list shows every tag found; choosing another tag reads
that sensor. The window title and the status group's heading always name the sensor on screen:
its ID tag and model. With one sensor the ID Tag field shows its tag; typing another tag and
programming gives the sensor that tag (it must not be in use by another sensor).</p>

<h3><a name="status"></a>The status group</h3>
<p>While you only look, the sensor is asked for its status several times a second:</p>
<ul>
<li><b>Average Distance</b>: the measured distance to the target, averaged as the sampling
settings say. <i>(no echo)</i> means no target was heard; <i>(close)</i> means the target is
nearer than the sensor can measure.</li>
<li><b>Temperature</b>: the sensor's temperature, or the preset temperature in preset
compensation.</li>
<li><b>Current OUTPUT</b>: the current the loop output should carry for this distance.</li>
<li><b>Setpoint OUTPUT A / B</b>: whether each setpoint output is on.</li>
<li><b>Echo Status OUTPUT</b>: whether the echo status output is on.</li>
<li><b>Target Strength</b>: how strong the echo is, from 0 to 100&nbsp;%. A weak echo (25&nbsp;%
or less) means a poor target: aim the sensor square at a flat surface.</li>
<li><b>Serial Number</b> and the sensor's model.</li>
</ul>

<h3><a name="settings"></a>The settings groups</h3>
<p><b>Current loop output settings.</b> The analogue output is a current between 4 and 20&nbsp;mA
(or 0 and 20&nbsp;mA, chosen with <b>OUTPUT Span</b>). <b>4 mA Distance</b> is the distance at which
the output is at its low end, <b>20 mA Distance</b> the distance at its high end; either may be
the larger, so the current can rise or fall with distance. <b>No Echo OUTPUT Current</b> is the
current the output goes to when no echo is heard. The G503 and G615 have no current loop; they
show <b>Maximum Range</b>, the farthest distance they measure, instead.</p>
<p><b>Setpoint output settings.</b> The two setpoint outputs A and B switch on the distance:
the line is divided into the zone nearer than the <b>Close Setpoint Distance</b>, the mid zone
between the two setpoints, the zone beyond the <b>Far Setpoint Distance</b>, and "no echo". For
each output and zone choose ON or OFF (click, Enter or Space flips a field); in the mid zone
<i>No Change</i> keeps the output as it was, which with the <b>Hysteresis</b> (a percentage of the
setpoint distance) stops an output from chattering when the target sits at a setpoint.</p>
<p><b>Sampling settings.</b> <b>Sample Rate</b> is the number of measurements a second (internal
trigger). <b>Average</b> and <b>Average type</b> set how many samples the distance is averaged
over: <i>Rolling</i> averages the latest samples (up to 32), <i>Boxcar</i> averages blocks of
samples (up to 1024). <b>Trigger Mode</b> says what starts a measurement: the sensor
itself (<i>Internal</i>, with a trigger output if chosen), a signal on its trigger input
(<i>External</i>, with a <b>Trigger Delay</b> in milliseconds if chosen), or the
<b>Manual Trigger</b> button (<i>Manual</i>).</p>
<p><b>Echo status output settings.</b> The echo status output shows whether echoes are heard.
<b>Echo Status OUTPUT with No Echo</b> says whether it is ON or OFF while no echo is heard; <b>No
Echo Time Out</b> is how many samples without an echo it takes before the sensor reports "no
echo" (the time this makes at the current sample rate is shown beside it). <b>User
Description</b> is a text of your own stored in the sensor, e.g. where it is installed.</p>

<h3><a name="edit"></a>Edit mode and programming</h3>
<p>Changing any setting puts the screen in <b>EDIT MODE</b>: the status readings are hidden,
the status poll stops, and the sensor list, the setup files and current calibration are locked
until you press <b>Program K-7700</b> or <b>Cancel Editing</b>.</p>
<p><b>Program K-7700</b> first checks every value against the sensor's limits. A value that does
not pass turns its field red and the red message band below says what is wrong (for example
"The Close Setpoint Distance must be less than the Far Setpoint Distance."); nothing is written
until every value passes. Then every setting is written into the sensor's memory and read back
to verify it, the sensor restarts, and its settings are read again so that the screen shows
what the sensor now holds. The message band then says which sensor was programmed. While the
sensor restarts, the progress window says "Restarting the sensor ..."; the windows keep
answering throughout. A write that does not verify after ten tries is reported as "Comm
verification failed on EEPROM write", with the setting and the EEPROM cell that did not take its
value; every other setting was written and verified. The screen then stays in edit mode with
your values: check the wiring and program again, or cancel editing to see what the sensor
holds.</p>
<p><b>Cancel Editing</b> throws the changes away and reads the sensor's settings again.</p>
<p>A field that shows no entry holds a code the sensor reported that is not in its list: choose
an entry before programming.</p>

<h3><a name="units"></a>Units</h3>
<p>The <b>Units</b> menu shows distances in centimetres, inches, feet or metres, and
temperatures in Celsius or Fahrenheit. The sensor stores distances in 1/128 of an inch, so a
distance typed in another unit is rounded to the nearest 1/128&nbsp;inch (0.02&nbsp;cm) and may show
slightly differently once programmed. The choice is kept in <code>K7700.ini</code>.</p>

<h3><a name="temperature"></a>Temperature compensation</h3>
<p>The speed of sound changes with the air's temperature (about 0.18&nbsp;% a degree Celsius), so
the sensor corrects its distances for temperature. In the <b>Temperature Compensation</b> menu:</p>
<ul>
<li><b>Automatic</b>: the sensor uses its own temperature probe. Right when the air around the
sensor is the air the sound travels through.</li>
<li><b>Preset</b>: the sensor uses the <b>Preset Temperature</b> you type (in half-degree steps,
from -25 to 75&nbsp;&deg;C). Use it when the probe does not see the air the sound travels through,
e.g. a sensor looking into a heated tank from a cold roof.</li>
</ul>
<p>Changing the mode is a change of settings: program the sensor to keep it.</p>

<h3><a name="faults"></a>Fault messages and what to do</h3>
<p>When the sensor reports faults, the readings are hidden and the faults are listed in the red
message band; <b>Reset Error</b> clears them (the sensor restarts). A fault that comes back at
once is real:</p>
<ul>
<li><b>Brown-out Occurred</b>: the supply voltage dipped. Check the power supply and its
wiring, especially long or thin supply wires.</li>
<li><b>Watchdog Reset Occurred</b>: the sensor's processor restarted itself. Reset; if it comes
back, note when and return the sensor for service.</li>
<li><b>Temperature Probe Fault</b> (or <b>Transponder Fault</b> / <b>Forward Transponder
Fault</b> on the G503 and G615): the probe or transducer does not respond. Switch to
<b>Preset</b> temperature compensation to keep measuring; return the sensor for service.</li>
<li><b>Signal Fault</b>: the echo signal is abnormal. Check that the transducer face is clean
and dry, not blocked and not touching anything.</li>
<li><b>Peak Detector Fault</b> (<b>Back Transponder Fault</b> on the G615): the receiver
circuit failed its check. Return the sensor for service.</li>
<li><b>K-7700 Setting replaced with default</b>: a setting in the sensor's memory was damaged
and replaced by its factory value. Check every setting and program the sensor.</li>
<li><b>Unable to program K-7700</b>: the sensor could not store a setting. Program again; if it
persists, return the sensor for service.</li>
</ul>
<p>Starting the program with <code>AUTORESETERROR</code> resets faults as soon as they are
reported.</p>

<h3><a name="nocomm"></a>When a sensor stops answering</h3>
<p>The red "Unable to communicate" window appears when the sensor on screen stops answering.
Check its power and the wiring, then choose <b>Re-establish communications</b>. When the adapter
was unplugged the window says so; plug it back in before retrying.</p>

<h3><a name="files"></a>Files</h3>
<ul>
<li><code>K7700.ini</code>, in the folder the program is started from, keeps the port, the units,
the last ID tag and the last setup file. A file that cannot be read is left alone.</li>
<li>Setup files (File menu: Save, Recall, Compare, Print) keep a sensor's settings to compare
with it later or to program into others; a recalled file leaves the screen in edit mode, ready
to program.</li>
<li>The change history keeps every programming, the service tools' writes and Reset Error:
when, by whom, which sensor (by serial number), each cell written and whether it read back,
and the settings before and after. File, <b>Change History ...</b> lists the changes of the
sensor on screen, newest first; one chosen shows the settings it changed, before and after;
<b>Recall Before Settings</b> (or After) puts that setup on screen in edit mode, to be
programmed. It lives in <code>~/.local/share/k7700/history.sqlite</code>; when it cannot be
written the message band says so and the programming goes on.</li>
<li>The comm history (<code>K7KCOMM.txt</code>, factory menu) is written into the folder the
program was started from; the message band says where.</li>
</ul>

<h3><a name="cli"></a>The command-line tools</h3>
<p><code>k7700-cli</code> works on the same line without windows, for scripts and quick checks:</p>
<ul>
<li><code>k7700-cli scan --port /dev/ttyUSB0</code>: the sensors that answer, with type and
firmware</li>
<li><code>k7700-cli peek 79 4 --port /dev/ttyUSB0 --id 3</code>: EEPROM cells 79 to 82 of
sensor 3</li>
<li><code>k7700-cli poke 90 7 --port /dev/ttyUSB0 --id 3</code>: write cell 90, verified</li>
<li><code>k7700-cli history 20 --simulate</code>: 20 status exchanges, one line a reply</li>
<li><code>k7700-cli save tank4.txt</code>, <code>diff tank4.txt</code>, <code>program tank4.txt
--id 7,8</code>: a sensor's setup file, a file compared with a sensor, sensors programmed from a
file (each with <code>--port</code> or <code>--simulate</code>)</li>
<li><code>k7700-cli changes --serial 100003</code>: the change history of a sensor (no port
needed); <code>--csv</code> or <code>--export all.csv</code> for a spreadsheet</li>
</ul>
<p>It exits with status 0 when done, 1 when the port cannot be opened or a sensor does not
answer, 2 for a mistake on the command line. <code>--simulate</code> runs on simulated sensors
(<code>k7700 --simulate</code> does the same for this program; its title then says
SIMULATED). <code>k7700-sim</code> serves simulated sensors on a pseudo-terminal that this
program can open as a port. Each program lists its options with <code>--help</code>.</p>
)HTML";
}

}  // namespace k7
