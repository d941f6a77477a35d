/ Tovo debugger agent.
/ Runs a q function one byte-code instruction at a time on a value stack of
/ its own, with call frames, breakpoints, stepping, exception handling and a
/ time limit, and turns byte code back into source text to show where it is.
/ Everything lives in .z.deb; Tovo reads the globals below between commands.
/ The whole file is sent as one query, so every name is written in full and
/ every continuation line of a definition starts with a blank.

/ ---------------------------------------------------------------- byte code
/ iterators appended to a value (opcodes 0x1a-0x1f)
.z.deb.adv:("x"$26+til 6)!("'";"/";"\\";"':";"/:";"\\:")
/ one-argument primitives (opcodes 0x21-0x3f)
.z.deb.unary:("x"$33+til 31)!`flip`neg`first`reciprocal`where`reverse`null`group`hopen`hclose`string`enlist`count`floor`not`key`distinct`type`value`read0`read1`read2`avg`last`sum`prd`min`max`exit`getenv`abs
.z.deb.u:(key .z.deb.unary)!(flip;neg;first;reciprocal;where;reverse;null;group;hopen;hclose;string;enlist;count;floor;not;key;distinct;type;value;read0;read1;(::);avg;last;sum;prd;min;max;exit;getenv;abs)
/ two-argument primitives (opcodes 0x41-0x5f)
.z.deb.binary:("x"$65+til 31)!(`$'"+-*%&|^=<>$,#_~!?@."),(`$("0:";"1:";"2:")),`in`within`like`bin`ss`insert`wsum`wavg`div
.z.deb.b:(key .z.deb.binary)!(+;-;*;%;&;|;^;=;<;>;$;,;#;_;~;!;?;@;.;0:;1:;2:;in;within;like;bin;ss;insert;wsum;wavg;div)
/ constants of opcodes 0x0b-0x11; the last marks an elided argument
.z.deb.k0:(();0;1;(,);`;(::);`:dbg:11)
/ opcodes that end a statement
.z.deb.bnd:0x000205060709
/ operators shown without blanks around them in reconstructed source
.z.deb.nob:`$'",$+!-#&|~=<>"
/ words shown infix when called with two arguments
.z.deb.infix:`inter`except`xasc`xdesc`each`vs`sv`set`xkey`lj`ij`uj
/ Variable slots: opcodes 0x60-0x7f push slot opcode-0x60, and the X of an
/ assignment (0x03 X) or an amend (0x04 X) names the same slots. From kdb+
/ 3.5 on, slot 0 is the function, parameters start at 1 and locals at 9,
/ and a global opcode 0x80+i indexes the namespace-and-globals list, whose
/ item 0 is the namespace (KX's reference shows {[a;b]d::neg c:a*b+5;c+e}
/ as 0xa0624161430309220b048100028269410004, with ``d`e). Before 3.5 the
/ locals go down from slot 22, the function is slot 23, the parameters
/ start at 24 and globals are counted without the namespace.
.z.deb.new:3.5<=.z.K
/ name of slot s of a frame with parameters p and locals l (`.f: the function)
.z.deb.vname:{[p;l;s]
  n:$[.z.deb.new;$[s=0;`.f;s<9;p s-1;l s-9];s<23;l 22-s;s=23;`.f;p s-24];
  if[null n;'"error: not impl"];
  n
 }
/ name of global opcode 0x80+i; g holds the globals without the namespace
.z.deb.gname:{[g;i] n:g i-.z.deb.new;if[null n;'"error: not impl"];n}

/ ---------------------------------------------------------------- state
.z.deb.st:5000#enlist(::)
.z.deb.sti:0
.z.deb.a:(`symbol$())!()
.z.deb.stprev:0
.z.deb.bps:(enlist(::))!enlist`long$()
.z.deb.bpsf:`long$()
.z.deb.state:`s
.z.deb.timeout:`second$300
.z.deb.e:10000
.z.deb.na:0b
.z.deb.noadv:1b
.z.deb.pc:0x99
.z.deb.O:()
.z.deb.exstr:""
/ every number the agent keeps (stack pointers, indexes, byte-code offsets
/ of statements and breakpoints) is a long: in and ? signal 'type when an
/ atom is looked up in a list of another type
/ .z.deb.c and .z.deb.n (byte code and index) exist once a call is prepared
/ Undo of the running instruction: the stack pointer it started with, the
/ slots below it that pushes overwrote (slot;value), and the highest
/ stack pointer reached; slots at and above .z.deb.sti are always (::)
/ between instructions.
.z.deb.s0:0
.z.deb.ulog:()
.z.deb.hw:0
/ frame ids: timestamps, strictly increasing
.z.deb.lastid:.z.p

/ ---------------------------------------------------------------- stack
/ Slots 4000 and up belong to the source reconstruction.
.z.deb.push:{
  if[.z.deb.sti>=4000;'"stack overflow"];
  if[.z.deb.sti<.z.deb.s0;.z.deb.ulog,:enlist(.z.deb.sti;.z.deb.st .z.deb.sti)];
  .z.deb.st[.z.deb.sti]:x;.z.deb.sti+:1;.z.deb.hw|:.z.deb.sti;
 }
/ A popped slot keeps its value until the instruction has succeeded, so
/ that a failed one leaves the stack as it found it.
.z.deb.pop:{.z.deb.sti-:1;.z.deb.st .z.deb.sti}
/ empties the slots above the stack pointer
.z.deb.free:{
  if[.z.deb.hw>.z.deb.sti;.z.deb.st[.z.deb.sti+til .z.deb.hw-.z.deb.sti]:(::)];
  .z.deb.hw:.z.deb.sti;
 }
.z.deb.popn:{r:();do[x;r,:enlist .z.deb.pop[]];r}
.z.deb.top:{.z.deb.st .z.deb.sti-1}
/ a call record (`:dbg:fncall;...) or a handler record (`:dbg:excblock;h)
.z.deb.isrec:{$[0h=type x;y~first x;0b]}

/ ---------------------------------------------------------------- output
/ Lines of the current command; over IPC they are the answer, locally
/ they are printed.
.z.deb.out:{.z.deb.O,:$[10h=type x;enlist x;x];}
.z.deb.text:{$[1=count .z.deb.O;first .z.deb.O;.z.deb.O]}
.z.deb.lines:{$[10h=abs type x;1b;0h=type x;all 10h=type each x;0b]}
.z.deb.answer:{$[.z.w;x;[-1 $[.z.deb.lines x;x;.Q.s x];]]}

/ ---------------------------------------------------------------- frames
/ A frame maps every argument and local to its value, plus the function's
/ namespace, constants, argument, local and global names, the function,
/ a timestamp that tells frames apart, and a scratch entry.
.z.deb.frame:{[f;x]
  v:value f;p:v 1;l:v 2;
  .z.deb.lastid:.z.p|.z.deb.lastid+1;
  (p,l,`.ns`.c`.a`.l`.g`.f`.id`.sel)!x,((count l)#enlist()),(first v 3;4_-1_v;p;l;1_v 3;f;.z.deb.lastid;::)
 }
/ Name of a global as seen from the current frame's namespace.
.z.deb.qname:{[nm]
  ns:.z.deb.a`.ns;
  if[(null ns)|"."=first string nm;:nm];
  s:string ns;if["."=first s;s:1_s];
  `$".",s,".",string nm
 }
/ Name resolution: the frame first, then the namespace; a name that looks
/ like a file handle stands for itself.
.z.deb.resolve:{[nm]
  if[nm in key .z.deb.a;:.z.deb.a nm];
  r:@[{(1b;get x)};.z.deb.qname nm;{(0b;x)}];
  if[first r;:last r];
  if[":"=first string nm;:nm];
  '"Undefined global ",(string nm),": ",last r
 }
/ Functions by name, for every namespace but the system ones.
.z.deb.mkfmap:{
  ns:{` sv `,x} each (key `) except `q`Q`h`j`o`z;
  n:(system"f"),raze {@[{[s] {[s;n] ` sv s,n}[s] each system"f ",string s};x;()]} each ns;
  .z.deb.fmap:@[{(get each x)!x};n;{()!()}];
 }

/ ---------------------------------------------------------------- source
/ Source reconstruction: walks the byte code keeping the text of every
/ pending expression on the scratch part of the stack (slots 4000 and up).
/ A drop, a jump or a return ends a statement; if, while, do and $[ open a
/ block whose inner statements are indented two more blanks and which ends
/ with "]". The result maps each statement's first offset to its text.
.z.deb.rpush:{.z.deb.st[.z.deb.rsp]:x;.z.deb.rsp+:1;}
.z.deb.rpop:{$[.z.deb.rsp>4000;[.z.deb.rsp-:1;.z.deb.st .z.deb.rsp];(0b;"")]}
/ an operand that is itself an expression goes in parentheses
.z.deb.rparen:{$[first x;"(",(last x),")";last x]}
.z.deb.rline:{[t]
  t:((2*count .z.deb.rb)#" "),t;
  $[.z.deb.rs0 in .z.deb.rk;.z.deb.rt[.z.deb.rk?.z.deb.rs0],:"; ",t;[.z.deb.rk,:.z.deb.rs0;.z.deb.rt,:enlist t]];
 }
.z.deb.rflush:{if[.z.deb.rsp>4000;.z.deb.rline last .z.deb.rpop[]];}
.z.deb.rnext:{.z.deb.rs0:.z.deb.rp+1;}
.z.deb.rarg:{"j"$.z.deb.rv[`c] .z.deb.rp+x}
.z.deb.rend:{$[count .z.deb.rb;.z.deb.rp=last last .z.deb.rb;0b]}
.z.deb.rclose:{
  while[.z.deb.rend[];
    .z.deb.rflush[];.z.deb.rb:-1_.z.deb.rb;
    if[count .z.deb.rt;.z.deb.rt[count[.z.deb.rt]-1],:"]"]];
 }
.z.deb.rname:{[k] $[k>=128;.z.deb.gname[.z.deb.rv`g;k-128];.z.deb.vname[.z.deb.rv`a;.z.deb.rv`l;k-96]]}
.z.deb.rvar:{[s] n:.z.deb.vname[.z.deb.rv`a;.z.deb.rv`l;s];$[n~`.f;".z.s";string n]}
/ return: the last statement, or ":" and the value when it returns early.
/ The final return is the last byte, or the one before it (kdb+ 3.5 puts
/ one more byte after it, which is no instruction); the walk ends there.
.z.deb.rret:{
  f:.z.deb.rp>=count[.z.deb.rv`c]-2;
  if[.z.deb.rsp>4000;t:last .z.deb.rpop[];.z.deb.rline $[f;t;":",t]];
  .z.deb.rnext[];
  if[f;.z.deb.rp:count .z.deb.rv`c];
 }
.z.deb.rsig:{.z.deb.rpush (0b;"'",.z.deb.rparen .z.deb.rpop[])}
.z.deb.rdrop:{.z.deb.rflush[];.z.deb.rnext[]}
.z.deb.rset:{
  k:.z.deb.rarg 1;.z.deb.rp+:1;
  .z.deb.rpush (0b;(.z.deb.rvar k),": ",last .z.deb.rpop[])
 }
.z.deb.ramend:{
  k:.z.deb.rarg 1;g:.z.deb.rarg 2;.z.deb.rp+:2;
  i:last .z.deb.rpop[];v:last .z.deb.rpop[];
  t:(string .z.deb.rname k),$[any i~/:("()";"::";"");"";"[",i,"]"],$[g=0;"";string .z.deb.binary "x"$64+g];
  .z.deb.rpush (0b;t,": ",v)
 }
/ jump: ends a statement; inside $[ it starts the else branch
.z.deb.rjmp:{
  j:.z.deb.rarg 1;.z.deb.rflush[];
  if[count .z.deb.rb;if[(.z.deb.rp+2)=last last .z.deb.rb;
    .z.deb.rb[count[.z.deb.rb]-1;1]:.z.deb.rp+j+1;
    if[count .z.deb.rt;.z.deb.rt[count[.z.deb.rt]-1],:";"]]];
  .z.deb.rp+:1;.z.deb.rnext[]
 }
/ conditional jump: the kind of block shows in the byte before its end
.z.deb.rif:{
  j:.z.deb.rarg 1;e:.z.deb.rp+j+1;c:.z.deb.rv[`c] e-2;
  .z.deb.rline ($[c=0x09;"while[";c=0x05;"$[";"if["]),(last .z.deb.rpop[]),";";
  .z.deb.rb,:enlist(`blk;e);
  .z.deb.rp+:1;.z.deb.rnext[]
 }
.z.deb.rdo:{
  e:.z.deb.rp+2+.z.deb.rarg 2;
  .z.deb.rline "do[",(last .z.deb.rpop[]),";";
  .z.deb.rb,:enlist(`blk;e);
  .z.deb.rp+:2;.z.deb.rnext[]
 }
.z.deb.rback:{.z.deb.rflush[];.z.deb.rp+:1;.z.deb.rnext[]}
/ call: f[a;b], enlist as a list, some words infix
.z.deb.rcall:{
  n:.z.deb.rarg 1;.z.deb.rp+:1;
  f:last .z.deb.rpop[];a:.z.deb.rparen each .z.deb.rpopn n;
  s:$[n;";" sv a;""];
  .z.deb.rpush (0b;$[f~"enlist";"(",s,")";(2=n)&(`$f) in .z.deb.infix;(a 0)," ",f," ",a 1;f,"[",s,"]"])
 }
.z.deb.rpopn:{r:();do[x;r,:enlist .z.deb.rpop[]];r}
.z.deb.rctl:(til 11)!(.z.deb.rret;.z.deb.rsig;.z.deb.rdrop;.z.deb.rset;.z.deb.ramend;.z.deb.rjmp;.z.deb.rif;.z.deb.rdo;.z.deb.rback;.z.deb.rback;.z.deb.rcall)
.z.deb.runary:{[o] .z.deb.rpush (1b;(string .z.deb.unary "x"$o)," ",.z.deb.rparen .z.deb.rpop[])}
/ the left operand is on top of the stack
.z.deb.rbinary:{[o]
  l:.z.deb.rpop[];r:.z.deb.rpop[];n:.z.deb.binary "x"$o;s:$[n in .z.deb.nob;"";" "];
  .z.deb.rpush (1b;(.z.deb.rparen l),s,(string n),s,last r)
 }
.z.deb.rop:{[o]
  $[o<11;(.z.deb.rctl o)[];
    o<18;.z.deb.rpush (0b;("()";enlist"0";enlist"1";enlist",";enlist"`";"::";"") o-11);
    o within 26 31;.z.deb.rpush (0b;(.z.deb.rparen .z.deb.rpop[]),.z.deb.adv "x"$o);
    o=32;();
    o within 33 63;.z.deb.runary o;
    o within 65 95;.z.deb.rbinary o;
    o within 96 127;.z.deb.rpush (0b;.z.deb.rvar o-96);
    o within 128 159;.z.deb.rpush (0b;string .z.deb.gname[.z.deb.rv`g;o-128]);
    o>=160;.z.deb.rpush (0b;.Q.s1 .z.deb.rv[`k] o-160);
    '"rev error"];
 }
.z.deb.rfn0:{[f]
  if[100h<>type f;'"rev error"];
  v:value f;
  .z.deb.rv:`c`a`l`g`k!(v 0;v 1;v 2;1_v 3;4_-1_v);
  .z.deb.rsp:4000;.z.deb.rp:0;.z.deb.rs0:0;.z.deb.rk:`long$();.z.deb.rt:();.z.deb.rb:();
  while[.z.deb.rp<count .z.deb.rv`c;
    .z.deb.rclose[];
    .z.deb.rop "j"$.z.deb.rv[`c] .z.deb.rp;
    .z.deb.rp+:1];
  .z.deb.rclose[];
  if[0=count .z.deb.rk;.z.deb.rk:enlist 0;.z.deb.rt:enlist last v];
  .z.deb.rk!.z.deb.rt
 }
/ A function the reconstruction cannot read is one statement: its source.
/ The scratch slots are emptied again: the window reads the whole stack.
.z.deb.rfn:{[f]
  r:@[.z.deb.rfn0;f;{[f;e] (enlist 0)!enlist $[100h=type f;last value f;.Q.s1 f]}[f]];
  .z.deb.st[4000+til 1000]:(::);
  r
 }

/ ---------------------------------------------------------------- listings
.z.deb.bfn:{$[-11h=type x;$[null x;.z.deb.a`.f;get x];x]}
.z.deb.stmt:{[a;n] r:.z.deb.rfn a`.f;k:key r;i:last where k<=n;(string i),": ",r k i}
.z.deb.pf:{
  f:.z.deb.bfn x;r:.z.deb.rfn f;k:key r;b:.z.deb.bps f;
  .z.deb.answer {[b;i;k;t] (string i),":",$[k in b;"*";" "]," ",t}[b]'[til count k;k;value r]
 }
.z.deb.f:{$[`s=.z.deb.state;.z.deb.answer "Not running";.z.deb.pf .z.deb.a`.f]}
.z.deb.pl:{$[`s=.z.deb.state;"Not running";"Current line: ",.z.deb.stmt[.z.deb.a;.z.deb.n]]}
.z.deb.sttext:{
  $[.z.deb.isrec[x;`:dbg:fncall];"Fn call, line: ",.z.deb.stmt[x 3;x 2];
    .z.deb.isrec[x;`:dbg:excblock];"Exception handler: ",.Q.s1 x 1;
    .Q.s1 x]
 }
.z.deb.psn:{
  i:reverse (0|.z.deb.sti-x)+til x&.z.deb.sti;
  (enlist "Top of the stack: "),{".z.deb.st[",(string x),"]: ",.z.deb.sttext .z.deb.st x} each i
 }
.z.deb.ps:{.z.deb.answer .z.deb.psn 10}

/ ---------------------------------------------------------------- breakpoints
/ Stored as byte-code offsets: statement b of f is key b of .z.deb.rfn f.
.z.deb.boff:{[f;b] k:key .z.deb.rfn f;b:"j"$(),b;k b where (b>=0)&b<count k}
.z.deb.bput:{[f;o]
  .z.deb.bps[f]:asc distinct "j"$o;
  if[f~.z.deb.a`.f;.z.deb.bpsf:.z.deb.bps f];
  .z.deb.pf f
 }
.z.deb.ba:{[f;b] f:.z.deb.bfn f;.z.deb.bput[f;.z.deb.bps[f],.z.deb.boff[f;b]]}
.z.deb.bd:{[f;b] f:.z.deb.bfn f;.z.deb.bput[f;.z.deb.bps[f] except .z.deb.boff[f;b]]}
.z.deb.bs:{[f;b] f:.z.deb.bfn f;.z.deb.bput[f;.z.deb.boff[f;b]]}
.z.deb.bc:{.z.deb.bps:(enlist(::))!enlist`long$();.z.deb.bpsf:`long$();.z.deb.answer "Breakpoints cleared"}

/ ---------------------------------------------------------------- applying
/ .z.deb.apply[f;args] pushes f's result, or enters f when it is a lambda
/ to be stepped through.
.z.deb.native:{[m;f;x] .z.deb.push .[f;x;{'x,y}m]}
.z.deb.qns:{$[100h=type x;(first (value x) 3) in `q`h`.q`.h;0b]}
.z.deb.rank:{
  t:type x;
  $[t=100h;count (value x) 1;
    t=101h;1;
    t=102h;2;
    t=104h;[v:value x;(.z.deb.rank first v)-(count 1_v)-sum (::)~/:1_v];
    t=105h;.z.deb.rank last value x;
    t=106h;.z.deb.rank value x;
    t within 107 111h;2;
    1]
 }
.z.deb.apply:{[f;x]
  if[-11h=type f;f:.z.deb.resolve f];
  t:type f;
  / an elided argument makes a projection
  if[any (`:dbg:11)~/:x;:.z.deb.push eval (enlist f),{$[x~`:dbg:11;(::);enlist x]} each x];
  if[(t<100h)|t=112h;:.z.deb.native["Function failed: ";f;x]];
  if[t=105h;:.z.deb.acomp[f;x]];
  if[t=104h;:.z.deb.aproj[f;x]];
  if[t=103h;:$[(count x) within 1 2;.z.deb.native["Each both/func composition error: ";f;x];'"Not impl"]];
  if[t within 106 111h;:.z.deb.aderived[f;x]];
  if[f~each;:$[1=count x;.z.deb.push ((x 0)');.z.deb.aderived[((x 0)');1_x]]];
  if[(f~(@))|f~(.);:.z.deb.atrap[f;x]];
  if[((f~(?))|f~(!))&2<count x;:.z.deb.aquery[f;x]];
  .z.deb.alambda[f;x]
 }
/ compositions: the parts one after the other, rightmost first
.z.deb.acomp:{[f;x]
  p:value f;
  if[(count x)<.z.deb.rank last p;:.z.deb.push f . x];
  .z.deb.alambda[.z.deb.comp;(p;x)]
 }
.z.deb.comp:{[fs;x] r:(last fs) . x;i:count[fs]-1;while[i>0;i-:1;r:fs[i] r];r}
/ projections: elided arguments are filled first, then the rest appended
.z.deb.aproj:{[f;x]
  v:value f;g:first v;a:1_v;e:where (::)~/:a;
  j:(count x)&count e;
  a[j#e]:j#x;a,:j _ x;
  if[((count e)>count x)|(count a)<.z.deb.rank g;:.z.deb.push f . x];
  .z.deb.apply[g;a]
 }
/ derived functions: primitives, q-namespace lambdas and short calls run
/ natively; otherwise the agent's own iterators call the lambda item by
/ item, so that stepping reaches it
.z.deb.aderived:{[f;x]
  t:type f;g:value f;
  short:(count x)<$[t=106h;.z.deb.rank g;t in 110 111h;2;1];
  if[(100h<>type g)|.z.deb.na|short|.z.deb.qns g;:.z.deb.native["Function failed: ";f;x]];
  if[(t in 107 108h)&(2<>.z.deb.rank g)|2<count x;:.z.deb.native["Function failed: ";f;x]];
  / dictionaries and keyed tables: iterate the values, key the result
  d:where 99h=type each x;k:$[count d;key x first d;()];
  if[count d;x[d]:value each x d];
  $[t=106h;.z.deb.iteach[g;x;k];
    t in 107 108h;.z.deb.itover[g;x;t=108h];
    t=109h;.z.deb.iteachp[g;x];
    .z.deb.alambda[.z.deb.eachr;(g;x 0;x 1;t=110h)]]
 }
.z.deb.iteach:{[g;x;k]
  n:max {$[0>type x;1;count x]} each x;
  xs:{[x;i] {$[0>type x;x;x y]}[;i] each x}[x] each til n;
  .z.deb.alambda[.z.deb.each;(g;xs;k)]
 }
.z.deb.itover:{[g;x;sc]
  l:(),last x;
  $[1=count x;.z.deb.alambda[.z.deb.over;(g;first l;1_l;sc;$[sc;1#l;()])];
    .z.deb.alambda[.z.deb.over;(g;first x;l;sc;())]]
 }
.z.deb.iteachp:{[g;x]
  / without a seed the first item stands for itself
  l:(),last x;
  $[1=count x;.z.deb.alambda[.z.deb.eachp;(g;l;first l;1#l;1)];
    .z.deb.alambda[.z.deb.eachp;(g;l;x 0;();0)]]
 }
/ The iterators themselves; they are stepped like user code and use no
/ iterators of their own.
.z.deb.each:{[f;xs;k] r:();i:0;n:count xs;while[i<n;r,:enlist f . xs i;i+:1];$[count k;k!r;r]}
.z.deb.over:{[f;r;y;sc;o] i:0;n:count y;while[i<n;r:f[r;y i];if[sc;o,:enlist r];i+:1];$[sc;o;r]}
.z.deb.eachp:{[f;x;p;r;i] n:count x;while[i<n;r,:enlist f[x i;p];p:x i;i+:1];r}
.z.deb.eachr:{[f;x;y;rt] r:();n:count $[rt;y;x];i:0;while[i<n;r,:enlist $[rt;f[x;y i];f[x i;y]];i+:1];r}
/ protected calls: a handler record below the wrapper's call record
.z.deb.pw:{[f;x] f . x}
.z.deb.atrap:{[f;x]
  n:count x;d:f~(.);
  if[n>4;'"Wrong number of args: rank"];
  if[(n=3)&100h<=type x 0;:.z.deb.protect[x 0;$[d;(),x 1;enlist x 1];x 2]];
  if[(n=2)&(100h<=type x 0)|-11h=type x 0;:.z.deb.apply[x 0;$[d;(),x 1;enlist x 1]]];
  .z.deb.native["Function failed: ";f;x]
 }
.z.deb.protect:{[g;a;h]
  if[.z.deb.na;:.z.deb.push .[g;a;h]];
  .z.deb.push (`:dbg:excblock;h);
  .z.deb.alambda[.z.deb.pw;(g;a)]
 }
/ functional select, exec, update and delete see the frame's names
.z.deb.aquery:{[f;x]
  nm:8 sublist (.z.deb.a`.a),.z.deb.a`.l;
  .z.deb.qf:f;.z.deb.qx:x;
  g:value "{[",($[count nm;";" sv string nm;""]),"] .z.deb.qf . .z.deb.qx}";
  .z.deb.native["Function failed: ";g;$[count nm;.z.deb.a nm;enlist(::)]]
 }
.z.deb.alambda:{[f;x]
  t:type f;
  if[f~enlist;:.z.deb.push x];
  if[t in 101 102h;:.z.deb.native["Function failed: ";f;x]];
  if[t<>100h;'"Not impl"];
  p:(value f) 1;
  if[(0=count p)&x~enlist(::);x:()];
  if[(count x)<count p;:.z.deb.push f . x];
  / f . () is f itself: a function without parameters is applied to (::)
  if[.z.deb.na|.z.deb.qns f;:.z.deb.native["Q function failed: ";f;$[count p;x;enlist(::)]]];
  if[(count x)>count p;'"Wrong number of arguments: rank"];
  .z.deb.enter[f;x]
 }
/ entering a lambda: call record, its code from the start, its breakpoints
.z.deb.enter:{[f;x]
  .z.deb.push (`:dbg:fncall;.z.deb.c;.z.deb.n;.z.deb.a;.z.deb.stprev);
  .z.deb.c:(value f) 0;.z.deb.n:-1;
  .z.deb.bpsf:.z.deb.bps f;
  .z.deb.stprev:.z.deb.sti;
  .z.deb.a:.z.deb.frame[f;x];
 }

/ ---------------------------------------------------------------- signals
/ A signal inside a protected call goes to the newest handler record: the
/ stack is cut back to it, the wrapper's caller resumes and the handler is
/ applied to the error text (or pushed when it is a value).
.z.deb.excp:{[err]
  if[.z.deb.e<=0;:0b];
  i:where .z.deb.isrec[;`:dbg:excblock] each .z.deb.sti#.z.deb.st;
  if[0=count i;:0b];
  k:last i;h:.z.deb.st[k;1];rec:.z.deb.st k+1;
  if[not .z.deb.isrec[rec;`:dbg:fncall];:0b];
  / counted only when a handler takes it
  .z.deb.e-:1;
  .z.deb.c:rec 1;.z.deb.n:rec 2;.z.deb.a:rec 3;.z.deb.stprev:rec 4;
  .z.deb.bpsf:.z.deb.bps .z.deb.a`.f;
  .z.deb.sti:k;
  m:$[err like "User exception: *";16_err;err];
  $[100h<=type h;.z.deb.apply[h;enlist m];.z.deb.push h];
  1b
 }

/ ---------------------------------------------------------------- opcodes
.z.deb.arg:{"j"$.z.deb.c .z.deb.n+x}
/ 0x00 return
.z.deb.xret:{
  if[1=.z.deb.sti;.z.deb.state:`s;:()];
  r:.z.deb.pop[];
  .z.deb.sti:.z.deb.stprev;
  rec:.z.deb.pop[];
  .z.deb.c:rec 1;.z.deb.n:rec 2;.z.deb.a:rec 3;.z.deb.stprev:rec 4;
  .z.deb.bpsf:.z.deb.bps .z.deb.a`.f;
  / the end of a protected call drops its handler record
  if[.z.deb.isrec[.z.deb.top[];`:dbg:excblock];.z.deb.pop[]];
  .z.deb.push r
 }
/ 0x01 signal
.z.deb.xsig:{
  v:.z.deb.pop[];
  $[10h=type v;'"User exception: ",v;-11h=type v;'"User exception: ",string v;'"Wrong exception type: stype"]
 }
/ 0x03 X: assign, the value stays on the stack
.z.deb.xset:{
  k:.z.deb.arg 1;.z.deb.n+:1;
  .z.deb.a[.z.deb.vname[.z.deb.a`.a;.z.deb.a`.l;k]]:.z.deb.top[];
 }
/ 0x04 X F: amend a global, argument or local, F 0 plain, else an operator
.z.deb.amend:{[glob;nm;i;f;v]
  q:$[glob;.z.deb.qname nm;nm];
  cur:$[glob;@[get;q;()];.z.deb.a nm];
  e:(()~i)|(::)~i;
  new:$[e;f[cur;v];0h=type i;.[cur;i;f;v];@[cur;i;f;v]];
  $[glob;q set new;.z.deb.a[nm]:new];
  $[e;new;0h=type i;new . i;new@i]
 }
.z.deb.xamend:{
  k:.z.deb.arg 1;g:.z.deb.arg 2;.z.deb.n+:2;
  i:.z.deb.pop[];v:.z.deb.pop[];
  f:$[g=0;{[a;b] b};.z.deb.b "x"$64+g];
  glob:k>=128;
  nm:$[glob;.z.deb.gname[.z.deb.a`.g;k-128];.z.deb.vname[.z.deb.a`.a;.z.deb.a`.l;k-96]];
  r:.[.z.deb.amend;(glob;nm;i;f;v);{[n;e] '"Assignment to ",(string n)," failed: ",e}nm];
  .z.deb.push $[0x00=.z.deb.c .z.deb.n+1;(::);r]
 }
/ 0x05 N jump, 0x09 N loop back
.z.deb.xjmp:{.z.deb.n+:.z.deb.arg 1}
.z.deb.xback:{.z.deb.n-:.z.deb.arg 1}
/ 0x06 N: jump when false
.z.deb.xif:{
  v:.z.deb.pop[];
  t:@[{$[x;1b;0b]};v;{'"wrong if condition: ",x}];
  .z.deb.n+:$[t;1;.z.deb.arg 1]
 }
/ 0x07 _ L: do-loop head, the remaining count on the stack
.z.deb.xdo:{
  v:.z.deb.pop[];l:.z.deb.arg 2;
  t:@[{$[0>type x;0<x;'"type"]};v;{'"Wrong do: ",x}];
  $[t;[.z.deb.push v-1;.z.deb.n+:2];.z.deb.n+:l+1]
 }
/ 0x08: do-loop end
.z.deb.xdoend:{.z.deb.n-:1;.z.deb.xdo[]}
/ 0x0a N: call with N arguments, the first on top
.z.deb.xcall:{
  k:.z.deb.arg 1;.z.deb.n+:1;
  f:.z.deb.pop[];.z.deb.apply[f;.z.deb.popn k]
 }
.z.deb.ctl:(til 11)!(.z.deb.xret;.z.deb.xsig;{.z.deb.pop[];};.z.deb.xset;.z.deb.xamend;.z.deb.xjmp;.z.deb.xif;.z.deb.xdo;.z.deb.xdoend;.z.deb.xback;.z.deb.xcall)
.z.deb.derive:{[o;v] $[o=26;(v');o=27;(v/);o=28;(v\);o=29;(v':);o=30;(v/:);(v\:)]}
.z.deb.xunary:{[o]
  b:"x"$o;v:.z.deb.pop[];
  .z.deb.push .[.z.deb.u b;enlist v;{[n;v;e] '"Unary ",(string n)," has failed with arg ",(.Q.s1 v),"): ",e}[.z.deb.unary b;v]]
 }
/ the left operand is on top: q evaluates right to left
.z.deb.xbinary:{[o]
  b:"x"$o;l:.z.deb.pop[];r:.z.deb.pop[];
  .z.deb.push .[.z.deb.b b;(l;r);{[n;l;r;e] '"Binary ",(string n)," has failed with args (",(.Q.s1 l),";",(.Q.s1 r),"): ",e}[.z.deb.binary b;l;r]]
 }
/ 0x52 @ and 0x53 . : functions are applied through the agent
.z.deb.xapply:{[o]
  f:.z.deb.pop[];v:.z.deb.pop[];
  if[(-11h=type f)|100h<=type f;:.z.deb.apply[f;$[o=82;enlist v;(),v]]];
  .z.deb.push $[o=82;f@v;f . v]
 }
.z.deb.ex:{[o]
  $[o<11;(.z.deb.ctl o)[];
    o<18;.z.deb.push .z.deb.k0 o-11;
    o within 26 31;.z.deb.push .z.deb.derive[o;.z.deb.pop[]];
    o=32;();
    o within 33 63;.z.deb.xunary o;
    o in 82 83;.z.deb.xapply o;
    o within 65 95;.z.deb.xbinary o;
    o within 96 127;.z.deb.push .z.deb.a .z.deb.vname[.z.deb.a`.a;.z.deb.a`.l;o-96];
    o within 128 159;.z.deb.push .z.deb.resolve .z.deb.gname[.z.deb.a`.g;o-128];
    o>=160;.z.deb.push (.z.deb.a`.c) o-160;
    '"error: not impl"];
 }

/ ---------------------------------------------------------------- one instruction
/ Runs the instruction at .z.deb.n under protection. A signal that no
/ handler record takes stops the run (state e) with the byte code, index,
/ frame, stack and breakpoints as they were, so the instruction can be
/ retried once its cause is removed.
.z.deb.stop:{[m]
  .z.deb.state:`e;.z.deb.exstr:m;
  .z.deb.out "Exception: ",m;.z.deb.out .z.deb.psn 10;.z.deb.out .z.deb.pl[];
 }
.z.deb.undo:{[u;s]
  .z.deb.c:u 0;.z.deb.n:u 1;.z.deb.a:u 2;.z.deb.stprev:u 3;.z.deb.bpsf:u 4;
  / the oldest saved value of a slot is the one it had
  {.z.deb.st[x 0]:x 1} each reverse .z.deb.ulog;
  .z.deb.sti:s;.z.deb.free[];
 }
.z.deb.exec1:{
  if[(`timespan$.z.deb.timeout)<.z.p-.z.deb.stTime;
    :.z.deb.stop "Debugger internal timeout, current value .z.deb.timeout:",string .z.deb.timeout];
  u:(.z.deb.c;.z.deb.n;.z.deb.a;.z.deb.stprev;.z.deb.bpsf);s:.z.deb.sti;
  .z.deb.s0:s;.z.deb.ulog:();.z.deb.hw:s;
  ok:@[{.z.deb.ex "j"$.z.deb.c .z.deb.n;1b};::;{.z.deb.exstr:x;0b}];
  / a handler that fails itself leaves the instruction failed
  if[not ok;if[not @[.z.deb.excp;.z.deb.exstr;0b];.z.deb.undo[u;s];:.z.deb.stop .z.deb.exstr]];
  .z.deb.s0:0;.z.deb.free[];
  if[`s=.z.deb.state;:()];
  .z.deb.n+:1;
  if[(`c=.z.deb.state)&.z.deb.n in .z.deb.bpsf;
    .z.deb.state:`b;.z.deb.out "Breakpoint";.z.deb.out .z.deb.psn 10;.z.deb.out .z.deb.pl[]];
 }

/ ---------------------------------------------------------------- stepping
/ inside the agent's own iterators and wrappers
.z.deb.inadv:{.z.deb.noadv&any (.z.deb.a`.f)~/:(.z.deb.each;.z.deb.over;.z.deb.eachp;.z.deb.eachr;.z.deb.pw;.z.deb.comp)}
.z.deb.going:{`c=.z.deb.state}
/ step into: to the next statement boundary, entering called lambdas
.z.deb.lloop:{
  .z.deb.exec1[];
  while[.z.deb.going[]&.z.deb.inadv[]|not (.z.deb.pc:.z.deb.c .z.deb.n) in .z.deb.bnd;.z.deb.exec1[]];
 }
/ step over: until this frame is at a statement start or its return
.z.deb.nloop:{
  if[0x00=.z.deb.c .z.deb.n;:.z.deb.lloop[]];
  id:.z.deb.a`.id;k:key .z.deb.rfn .z.deb.a`.f;
  .z.deb.exec1[];
  while[(`n=.z.deb.state)|.z.deb.going[]&not (id~.z.deb.a`.id)&(.z.deb.n in k)|0x00=.z.deb.c .z.deb.n;.z.deb.exec1[]];
 }
/ step out: until this frame returns, then one step into
.z.deb.eloop:{
  id:.z.deb.a`.id;
  while[(`n=.z.deb.state)|.z.deb.going[]&not (id~.z.deb.a`.id)&0x00=.z.deb.c .z.deb.n;.z.deb.exec1[]];
  if[.z.deb.going[];.z.deb.lloop[]];
 }
/ continue: to the end, a breakpoint or an exception
.z.deb.cloop:{
  .z.deb.bpsf:.z.deb.bps .z.deb.a`.f;
  .z.deb.exec1[];
  while[.z.deb.going[];.z.deb.exec1[]];
 }

/ ---------------------------------------------------------------- commands
/ Every command restarts the clock and the output. A finished run answers
/ the function's result; a suspended one the stack and the current line.
.z.deb.run:{[loop]
  .z.deb.stTime:.z.p;.z.deb.O:();
  if[`s=.z.deb.state;:.z.deb.answer "Not running"];
  .z.deb.state:`c;
  r:@[loop;::;{x}];
  if[10h=type r;.z.deb.stop r];
  if[`s=.z.deb.state;:.z.deb.answer .z.deb.st 0];
  if[.z.deb.going[];.z.deb.out .z.deb.psn 10;.z.deb.out .z.deb.pl[]];
  .z.deb.answer .z.deb.text[]
 }
/ Preparing: a four-byte entry program (call with the argument count,
/ return, return) in an entry frame, with the arguments and f on the stack.
.z.deb.prep:{[f;args]
  args:$[0=count args;enlist(::);0>type args;enlist args;args];
  .z.deb.mkfmap[];
  .z.deb.st:5000#enlist(::);.z.deb.sti:0;.z.deb.stprev:0;.z.deb.s0:0;.z.deb.ulog:();.z.deb.hw:0;
  .z.deb.c:0x0a,("x"$count args),0x0000;.z.deb.n:0;
  .z.deb.a:.z.deb.frame[{"Entry point"};enlist(::)];
  .z.deb.a[`.ns]:`;
  {.z.deb.push x} each reverse args;
  .z.deb.push f;
  .z.deb.bpsf:.z.deb.bps .z.deb.a`.f;
  .z.deb.state:`i;.z.deb.pc:0x99;.z.deb.exstr:"";
 }
.z.deb.i:{[f;args]
  .z.deb.stTime:.z.p;.z.deb.O:();
  .z.deb.prep[f;args];
  .z.deb.out .z.deb.psn 10;.z.deb.out .z.deb.pl[];
  .z.deb.answer .z.deb.text[]
 }
.z.deb.r:{[f;args] .z.deb.prep[f;args];.z.deb.run .z.deb.cloop}
.z.deb.s:{.z.deb.run .z.deb.exec1}
.z.deb.l:{.z.deb.run .z.deb.lloop}
.z.deb.next:{.z.deb.run .z.deb.nloop}
.z.deb.ef:{.z.deb.run .z.deb.eloop}
.z.deb.cont:{.z.deb.run .z.deb.cloop}
