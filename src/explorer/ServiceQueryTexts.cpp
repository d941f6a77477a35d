// The q texts of the namespace load's five service queries and their
// wrapper, exactly as they are sent (one line each).
#include "explorer/ServiceQueries.h"

namespace ServiceQueryTexts {

const char* const kWrapperHead =
    R"q({[q] t:system"T";tm:@[{$[x>0;[system"T ",string x;1b];0b]};)q";
const char* const kWrapperTail =
    R"q(;{0b}];r:$[tm;@[0;(q;::);{[tm; t; msgs] if[tm;system"T ",string t];'msgs}[tm;t]];@[q;::;{'x}]];if[tm;system"T ",string t];r})q";
const char* const kNamespacesLambda =
    R"q({do[1000;2+2];{@[{.z.tovo.ns.r1:x;:.z.tovo.ns.r1};x;{r:y;:r}[;x]]}({:x!{![sv[`;] each x cross `Tables`Functions`Variables; system each "afv" cross enlist[" "] cross enlist string x]} each x} [{raze x,.z.s'[{x where{@[{1#get x};x;`]~1#.q}'[x]}` sv'x,'key x]}`]),(enlist `.z)!flip (`.z.Tables`.z.Handlers`.z.Constants)!(enlist 0#`;enlist `ac`bm`exit`pc`pd`pg`ph`pi`pm`po`pp`pq`ps`pw`vs`ts`s`wc`wo`ws;enlist `a`b`e`ex`ey`f`h`H`i`k`K`l`o`q`r`u`w`W`x`X`n`N`p`P`z`Z`t`T`d`D`c`zd)})q";
const char* const kVariablesLambda =
    R"q({[x;y]do[1000;2+2];{@[{.z.tovo.ns.r2:x;:.z.tovo.ns.r2};x;{r:y;:r}[;x]]}(){:x,(enlist y)!enlist (type value y;@[count; value y;-13j];@[-22!;value y;-4]-9)}/x}((),{x@where{not `velz_err~@[{.:[x]};x;`velz_err]}each x}(`$)q";
const char* const kVariablesMiddle =
    R"q()) except (),{x@where{1b~.Q.qp .:[x]}each x}((),(`$)q";
const char* const kTablesLambda =
    R"q({[x;y]do[1000;2+2];{@[{.z.tovo.ns.r3:x;:.z.tovo.ns.r3};x;{r:y;:r}[;x]]}(){:x,(enlist y)!enlist(@[meta;y;`$];type .:[y];((0,0b,1b)!1 2 3i)[.Q.qp .:[y]])}/x}`$)q";
const char* const kFunctionsLambda =
    R"q({[x;y]do[10000;2+2];{@[{.z.tovo.ns.r4:x; : .z.tovo.ns.r4}; x; {r:y; : r}[; x]]}{r:{$[@:[x]within(106h; 111h);.z.s .:[x];104h=@:[x];.z.s .:[x]0;x]}.:[x];:(type .:[x];{$[4<>type{@[{-8!{(3#1_x),-1#x}2 .:/x};x;`i]}x;();(in[;104 105h]type .:[x])&4<>type{@[{-8!2 .:/x};x;`i]}x;();{$[100h=type y;(enlist()),(3#1_x),(-1#x),$[3.5<=.z.K;(-3#-1_x);()];100h=type z;(enlist x),(3#1_.:[z]),(-1#.:[z]),$[3.5<=.z.K;(-3#-1_.:[z]);()];(enlist $[112<>type z;x;`code]),(enlist(({$[5=x;1;12=x;0;x]}@:[z]-100)#`x`y`z)),(3#`$()),$[112<>type z;z;`code]]}[;.:[x];y]@[{2 .:/x};x;()]]}[;r]x;$[112h=type r;`;105h=type r;`;not(type .:[x])within(104h;111h);`;{{$[2>count x;$[z within(101h;103h); .z.s[(();(z-100)#`x`y`z);y;100h];112=z;.z.s[(();`$());y;100h];.z.s[.:[x];y;type x]];$[99h<type x[0];[t:.z.s[.:[x[0]];1_x;type x 0];t except t@where 101<>type each y];x[1] except x[1]@where 101<>type each y]]}[2 .:/x;();type .:[x]]}x];{$[100h<>type x;`$(();());(`$(();())){x union'$[100h=type y;(();({{$[`=y;x;{` sv$[`=x[0];();`,y],x}[;y]` vs x]}[;x[0]]each 1_x}.:[y]3))union'(();()).z.s/4_-1_.:[y];-11h=type y;((),y;());(();())]}/4_-1_.:[x]]}r)}@'x}{x!x}{x@where{not`err_vel~@[{.:[x]};x;`err_vel]}each x}`$)q";
const char* const kFilesLambda =
    R"q({[x;y]do[10000;2+2];{@[{.z.tovo.ns.r5:x; : .z.tovo.ns.r5}; x; {r:y; : r}[; x]]}{@[{read1 x};x;`byte$()]} each x}`$)q";

} // namespace ServiceQueryTexts
