#include "editor/QKeywords.h"


#include <string_view>
#include <unordered_set>

namespace {

constexpr const char* kList =
    ",neg,not,null,string,reciprocal,floor,ceiling,signum,mod,xbar,xlog,and,or,each,scan,over,mmu,lsq,inv,md5,"
    "ltime,gtime,count,first,var,dev,med,cov,cor,all,any,rand,sums,prds,mins,maxs,fills,deltas,ratios,avgs,differ,"
    "prev,next,rank,reverse,iasc,idesc,asc,desc,msum,mcount,mavg,mdev,xrank,mmin,mmax,xprev,rotate,distinct,group,"
    "where,flip,type,key,til,get,value,attr,cut,set,upsert,raze,union,inter,except,cross,sv,vs,sublist,enlist,read0,"
    "read1,hopen,hclose,hdel,hsym,hcount,peach,system,ltrim,rtrim,trim,lower,upper,ssr,view,tables,views,cols,xcols,"
    "keys,xkey,xcol,xasc,xdesc,fkeys,meta,uj,lj,ij,pj,aj,aj0,asof,wj,wj1,fby,ungroup,xgroup,ej,plist,txf,save,load,"
    "rsave,rload,show,csv,parse,eval,exec,if,while,select,from,by,like,delete,update,last,min,max,avg,sum,prd,exit,"
    "getenv,abs,sqrt,log,exp,sin,asin,cos,acos,tan,atan,in,within,bin,ss,insert,wsum,wavg,div,xexp,setenv,do,prior,"
    "binr,ljf,ww,dsave,svar,scov,sdev,reval,";

// The words of the list, for constant-time look-ups while colouring.
const std::unordered_set<std::string_view>& wordSet()
{
    static const std::unordered_set<std::string_view> words = [] {
        std::unordered_set<std::string_view> set;
        const std::string_view all(kList);
        size_t start = 1;
        while (start < all.size()) {
            const size_t comma = all.find(',', start);
            set.insert(all.substr(start, comma - start));
            start = comma + 1;
        }
        return set;
    }();
    return words;
}

constexpr int kLongestWord = 16;

} // namespace

const QString& QKeywords::list()
{
    static const QString text = QString::fromLatin1(kList);
    return text;
}

bool QKeywords::contains(const char* name, int length)
{
    if (length <= 0 || length > kLongestWord)
        return false;
    return wordSet().count(std::string_view(name, static_cast<size_t>(length))) != 0;
}

bool QKeywords::contains(const char16_t* name, int length)
{
    if (length <= 0 || length > kLongestWord)
        return false;
    char ascii[kLongestWord];
    for (int i = 0; i < length; ++i) {
        if (name[i] >= 128)
            return false;
        ascii[i] = static_cast<char>(name[i]);
    }
    return contains(ascii, length);
}

bool QKeywords::contains(QStringView name)
{
    return contains(reinterpret_cast<const char16_t*>(name.utf16()), static_cast<int>(name.size()));
}
