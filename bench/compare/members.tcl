# members: reads and assigns the entries of a dict (dict get, dict set) in a loop of n
# passes. Size: the first argument; prints the sum of the three entries. tclsh and jimsh.
proc main {n} {
    set p [dict create x 0 y 1 z 2]
    for {set i 1} {$i <= $n} {incr i} {
        dict set p x [expr {[dict get $p x] + [dict get $p y] % 5}]
        dict set p y [expr {[dict get $p z] + $i % 4}]
        dict set p z [expr {[dict get $p x] % 9}]
    }
    puts [expr {[dict get $p x] + [dict get $p y] + [dict get $p z]}]
}
if {$argc > 0} { main [lindex $argv 0] } else { main 200000 }
