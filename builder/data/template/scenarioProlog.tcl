# Scenario file of the Corvel scenario builder
#
# File:      %ScenarioFileName%
# Written:   %Date%
# Generator: %CODEGEN_VERSION%
#
# Every line that starts with "#" is a comment. The lines below without "#"
# are the state table that the configuration tool uploads into the trainer:
# 20 rows, one per frame number, of 14 two-digit hexadecimal cells.
# FF in a cell means: not set (an action) or no such event.
#
#  cell  0  frame number (00 to 13)
#  cell  1  electrodes: 00 attached, 01 loose
#  cell  2  motion: 00 none, 01 motion
#  cell  3  ECG shockable: 00 no, 01 yes
#  cell  4  ECG pulse: 00 no, 01 yes
#  cell  5  ECG rhythm: 00 sinus, 01 VT, 02 VF, 03 asystole
#  cell  6  battery: 02 OK, 01 low, 00 replace now
#  cell  7  failure: 00 none, 01 failure
#  cell  8  shocks delivered (01 to 09)      cell  9  then go to frame
#  cell 10  CPR: 01 started, 02 stopped,     cell 11  then go to frame
#           or 05 to FA seconds of CPR
#  cell 12  seconds spent in the frame       cell 13  then go to frame
#
%Code%
#
# Comment:  %Comment%
#
# The lines below hold the drawing of the scenario; the scenario builder
# reads them back when the scenario is loaded. Do not edit them by hand.
%Diagram%
# End of scenario file
