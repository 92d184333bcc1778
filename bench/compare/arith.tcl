# arith: arithmetic loop, x = x + i % 7 for i = 1 .. n, inside a proc as Tcl users write it.
# Size: the first argument; prints the sum as its checksum. Runs in tclsh and jimsh.
proc main {n} {
    set x 0
    for {set i 1} {$i <= $n} {incr i} {
        incr x [expr {$i % 7}]
    }
    puts $x
}
if {$argc > 0} { main [lindex $argv 0] } else { main 1000000 }
